// Finding an element by name: where a name ends, start tags spread over lines, quoted ">" and "/"
// in start tags, end tags, and stray "<" in content. Expected texts and positions are counted by
// hand from the sample texts.
#include <gtest/gtest.h>

#include <string>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::AttributeOf;
using testing::ElementOf;
using testing::kError;

// --- names that begin longer names -------------------------------------------------------------

TEST(NamePrefix, music_is_not_found_inside_music_list) {
    const std::u16string text = u"<MusicList><Music Index=\"5\"/></MusicList>";
    int32_t position = 0;
    EXPECT_EQ(GetElement(text, u"Music", position, 1), u"<Music Index=\"5\"/>");
    EXPECT_EQ(position, 29);  // the ">" of "/>"
    EXPECT_EQ(ElementOf(text, u"MusicList"), text);
}

TEST(NamePrefix, a_longer_name_alone_does_not_match) {
    EXPECT_EQ(ElementOf(u"<Musical/><MusicList></MusicList>", u"Music"), kError);
}

TEST(NamePrefix, digits_colon_and_underscore_continue_a_name) {
    EXPECT_EQ(ElementOf(u"<Music2/>", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<Music:x/>", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<Music_x/>", u"Music"), kError);
}

TEST(NamePrefix, hyphen_and_full_stop_also_end_the_match) {
    // The character after the requested name must be white space, ">" or "/".
    EXPECT_EQ(ElementOf(u"<Music-x></Music-x>", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<Music.x/>", u"Music"), kError);
}

TEST(NamePrefix, a_requested_name_is_matched_literally_whatever_it_holds) {
    // Only the character after the name is looked at, so a name with "-" is found as a whole.
    EXPECT_EQ(ElementOf(u"<Music-x></Music-x>", u"Music-x"), u"<Music-x></Music-x>");
}

TEST(NamePrefix, the_search_resumes_behind_the_character_that_rejected_a_match) {
    // "<a<a>": the "<" that rejects the first match is itself skipped, with the second match in it.
    EXPECT_EQ(ElementOf(u"<a<a></a>", u"a"), kError);
    EXPECT_EQ(ElementOf(u"<ab <a></a>", u"a"), u"<a></a>");
}

TEST(NamePrefix, names_are_case_sensitive) { EXPECT_EQ(ElementOf(u"<music/><MUSIC/>", u"Music"), kError); }

// --- start tags spread over lines ----------------------------------------------------------

TEST(MultiLineTag, tab_indented_tag_with_crlf_is_found_and_its_attributes_read) {
    const std::u16string text =
        u"<MusicList>\r\n"
        u"\t<Music\r\n"
        u"\t\tIndex=\"0\"\r\n"
        u"\t\tName=\"Random\"\r\n"
        u"\t\tImage=\"zal_image/img_music/random.png\"\r\n"
        u"\t\tCoin=\"0\"\r\n"
        u"\t></Music>\r\n"
        u"</MusicList>\r\n";
    const std::u16string element =
        u"<Music\r\n\t\tIndex=\"0\"\r\n\t\tName=\"Random\"\r\n"
        u"\t\tImage=\"zal_image/img_music/random.png\"\r\n\t\tCoin=\"0\"\r\n\t></Music>";
    EXPECT_EQ(ElementOf(text, u"Music"), element);
    EXPECT_EQ(AttributeOf(element, u"Music", u"Index"), u"0");
    EXPECT_EQ(AttributeOf(element, u"Music", u"Name"), u"Random");
    EXPECT_EQ(AttributeOf(element, u"Music", u"Image"), u"zal_image/img_music/random.png");
    EXPECT_EQ(AttributeOf(element, u"Music", u"Coin"), u"0");
}

TEST(MultiLineTag, any_white_space_may_follow_the_name) {
    EXPECT_EQ(ElementOf(u"<Music\tIndex=\"1\"/>", u"Music"), u"<Music\tIndex=\"1\"/>");
    EXPECT_EQ(ElementOf(u"<Music\u3000/>", u"Music"), u"<Music\u3000/>");
    EXPECT_EQ(ElementOf(u"<Music\u0085></Music>", u"Music"), u"<Music\u0085></Music>");
}

TEST(MultiLineTag, white_space_around_the_equals_sign_is_allowed) {
    EXPECT_EQ(AttributeOf(u"<Music Index = \"7\" ></Music>", u"Music", u"Index"), u"7");
    EXPECT_EQ(AttributeOf(u"<Music Index\r\n=\r\n'7'></Music>", u"Music", u"Index"), u"7");
}

// --- quoted ">" and "/" in start tags ------------------------------------------------------------

TEST(QuotedMarkup, a_quoted_greater_than_does_not_end_the_start_tag) {
    const std::u16string text = u"<x a=\">\" b=\"2\">text</x>";
    EXPECT_EQ(ElementOf(text, u"x"), text);
    EXPECT_EQ(AttributeOf(text, u"x", u"a"), u">");
    EXPECT_EQ(AttributeOf(text, u"x", u"b"), u"2");
}

TEST(QuotedMarkup, a_quoted_slash_in_a_self_closing_tag_is_part_of_the_value) {
    const std::u16string text = u"<BGM Name=\"song/a.ogg\" Volume=\"80\"/>";
    EXPECT_EQ(ElementOf(text, u"BGM"), text);
    EXPECT_EQ(AttributeOf(text, u"BGM", u"Name"), u"song/a.ogg");
    EXPECT_EQ(AttributeOf(text, u"BGM", u"Volume"), u"80");
}

TEST(QuotedMarkup, single_quotes_protect_slash_and_greater_than_as_well) {
    const std::u16string text = u"<x a='/>' b='2'/>";
    EXPECT_EQ(ElementOf(text, u"x"), text);
    EXPECT_EQ(AttributeOf(text, u"x", u"a"), u"/>");
    EXPECT_EQ(AttributeOf(text, u"x", u"b"), u"2");
}

TEST(QuotedMarkup, one_kind_of_quote_inside_the_other_is_plain_text) {
    const std::u16string apostrophe = u"<x Name=\"Don't\" Level=\"7\"></x>";
    EXPECT_EQ(ElementOf(apostrophe, u"x"), apostrophe);
    EXPECT_EQ(AttributeOf(apostrophe, u"x", u"Name"), u"Don't");
    EXPECT_EQ(AttributeOf(apostrophe, u"x", u"Level"), u"7");

    const std::u16string doubleQuote = u"<x a='\"' b=\"2\"/>";
    EXPECT_EQ(ElementOf(doubleQuote, u"x"), doubleQuote);
    EXPECT_EQ(AttributeOf(doubleQuote, u"x", u"a"), u"\"");
    EXPECT_EQ(AttributeOf(doubleQuote, u"x", u"b"), u"2");
}

TEST(QuotedMarkup, an_unquoted_slash_closes_the_tag_and_cuts_the_value) {
    // "/" outside quotes ends the start tag as "/...>"; the value stops before it.
    const std::u16string text = u"<x a=b/c>";
    EXPECT_EQ(ElementOf(text, u"x"), text);
    EXPECT_EQ(AttributeOf(text, u"x", u"a"), u"b");
}

TEST(QuotedMarkup, attributes_after_a_stray_slash_are_not_read) {
    const std::u16string text = u"<Music/ Index=\"1\">";
    EXPECT_EQ(ElementOf(text, u"Music"), text);
    EXPECT_EQ(AttributeOf(text, u"Music", u"Index"), kError);
}

TEST(QuotedMarkup, quotes_in_content_are_not_looked_at_for_the_end_tag) {
    const std::u16string text = u"<x a=\"1\">it's \"quoted\"</x>";
    EXPECT_EQ(ElementOf(text, u"x"), text);
}

// --- end tags --------------------------------------------------------------------------------

TEST(EndTag, white_space_before_the_closing_greater_than_is_allowed) {
    EXPECT_EQ(ElementOf(u"<Music Index=\"1\"></Music >", u"Music"), u"<Music Index=\"1\"></Music >");
    EXPECT_EQ(ElementOf(u"<Music></Music\t\r\n>", u"Music"), u"<Music></Music\t\r\n>");
}

TEST(EndTag, an_end_tag_with_a_longer_name_fails_the_element) {
    EXPECT_EQ(ElementOf(u"<Music></MusicX>", u"Music"), kError);
}

TEST(EndTag, a_failed_end_tag_does_not_search_further) {
    EXPECT_EQ(ElementOf(u"<Music></MusicX></Music>", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<a>x</a x></a>", u"a"), kError);
}

TEST(EndTag, content_between_the_tags_is_returned_as_it_is) {
    const std::u16string text = u"<a>Tom &amp; Jerry &#x41;</a>";
    EXPECT_EQ(ElementOf(text, u"a"), text);
}

// --- stray "<" in content -------------------------------------------------------------------

TEST(StrayLessThan, a_less_than_before_a_digit_is_skipped) {
    // "<2" reads as the name "2" that then runs into "<": no element, so the scan moves on.
    EXPECT_EQ(ElementOf(u"<a>1 <2</a>", u"a"), u"<a>1 <2</a>");
}

TEST(StrayLessThan, a_less_than_before_other_characters_is_skipped) {
    EXPECT_EQ(ElementOf(u"<a>x<<</a>", u"a"), u"<a>x<<</a>");
    EXPECT_EQ(ElementOf(u"<a>x <- y</a>", u"a"), u"<a>x <- y</a>");
}

TEST(StrayLessThan, a_less_than_before_white_space_swallows_the_end_tag) {
    // "< 2</a>" is an element with an empty name whose first "/" outside quotes is that of "</a":
    // it reads as self-closing through "</a>", and the enclosing element has no end tag left.
    EXPECT_EQ(ElementOf(u"<a>1 < 2</a>", u"a"), kError);
}

TEST(StrayLessThan, an_empty_named_element_needs_an_end_tag_with_nothing_after_the_slash) {
    // "< b>" opens an element with an empty name; its end tag "</" is followed by "a", which fails
    // it, so the "<" is skipped and "</a>" ends the enclosing element.
    EXPECT_EQ(ElementOf(u"<a>< b></a>", u"a"), u"<a>< b></a>");
}

TEST(StrayLessThan, a_less_than_after_the_element_does_not_matter) {
    const std::u16string text = u"<a></a><";
    int32_t position = 0;
    EXPECT_EQ(GetElement(text, u"a", position, 1), u"<a></a>");
    EXPECT_EQ(position, 7);
    EXPECT_EQ(GetElement(text, u"a", position, 1), kError);
    EXPECT_EQ(position, 7);
}

}  // namespace
}  // namespace tavrin::xml
