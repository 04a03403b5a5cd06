// Empty, truncated and malformed input, odd arguments, and UTF-16 surrogates: all end in the
// not-found result, never in a crash or a read outside the text.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::AttributeOf;
using testing::ElementOf;
using testing::kError;

// --- empty input and odd arguments ---------------------------------------------------------

TEST(EmptyInput, empty_text_finds_nothing) {
    int32_t position = 0;
    EXPECT_EQ(GetElement(u"", u"Music", position, 1), kError);
    EXPECT_EQ(position, 0);
    EXPECT_EQ(GetElement(u"", u"?xml", position, 1), kError);
    EXPECT_EQ(GetAttribute(u"", u"Music", 1, u"Index"), kError);
    EXPECT_EQ(SkipElement(u"", 1, kInfinity), ElementSpan{});
    EXPECT_EQ(FindOutsideQuotes(1, u"", u'>'), 0);
    EXPECT_EQ(FindElement(u"", u"<a", u"</a", position), ElementSpan{});
    EXPECT_EQ(FindInstruction(u"", u"<?a", position), ElementSpan{});
}

TEST(EmptyInput, an_empty_name_finds_nothing) {
    int32_t position = 0;
    EXPECT_EQ(GetElement(u"< a></a>", u"", position, 1), kError);
    EXPECT_EQ(GetElement(u"</x>", u"", position, 1), kError);
    EXPECT_EQ(GetAttribute(u"< a=\"1\">", u"", 1, u"a"), kError);
    EXPECT_EQ(FindElement(u"< a></a>", u"<", u"</", position), ElementSpan{});
    EXPECT_EQ(position, 0);
}

TEST(EmptyInput, a_count_below_one_finds_nothing) {
    int32_t position = 0;
    EXPECT_EQ(GetElement(u"<a/>", u"a", position, 0), kError);
    EXPECT_EQ(GetElement(u"<a/>", u"a", position, -1), kError);
    EXPECT_EQ(position, 0);
}

TEST(EmptyInput, positions_outside_the_text_find_nothing_and_stay) {
    const std::u16string text = u"<a/><a/>";
    for (const int32_t start : {-1, -1000, INT32_MIN, 8, 9, 1000, INT32_MAX}) {
        int32_t position = start;
        EXPECT_EQ(GetElement(text, u"a", position, 1), kError) << start;
        EXPECT_EQ(position, start);
    }
}

TEST(EmptyInput, a_failing_later_repetition_keeps_the_position_of_the_last_find) {
    const std::u16string text = u"<a/><a/>";
    int32_t position = 0;
    EXPECT_EQ(GetElement(text, u"a", position, 3), kError);
    EXPECT_EQ(position, 8);  // the second <a/> was found before the third search failed
}

// --- truncated and malformed elements -----------------------------------------------------

TEST(Malformed, truncated_start_tags) {
    EXPECT_EQ(ElementOf(u"<Music", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<Music ", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<Music Index=\"5\"", u"Music"), kError);
    EXPECT_EQ(ElementOf(u"<Music Index=\"5\" /", u"Music"), kError);
    EXPECT_EQ(AttributeOf(u"<Music Index=\"5\"", u"Music", u"Index"), kError);
}

TEST(Malformed, an_unterminated_quote_hides_the_rest_of_the_text) {
    const std::u16string text = u"<Music Name=\"Don></Music><Music Index=\"2\"></Music>";
    EXPECT_EQ(ElementOf(text, u"Music"), kError);
    EXPECT_EQ(AttributeOf(text, u"Music", u"Index"), kError);
    EXPECT_EQ(FindOutsideQuotes(1, text, u'>'), 0);
}

TEST(Malformed, a_missing_end_tag_fails_the_element_and_the_search) {
    EXPECT_EQ(ElementOf(u"<Music Index=\"5\">", u"Music"), kError);
    // The search does not fall back to a later, complete element.
    EXPECT_EQ(ElementOf(u"<Music Index=\"5\"><Music Index=\"6\"/>", u"Music"), kError);
}

TEST(Malformed, truncated_end_tags) {
    EXPECT_EQ(ElementOf(u"<a></a", u"a"), kError);
    EXPECT_EQ(ElementOf(u"<a></a ", u"a"), kError);
    EXPECT_EQ(ElementOf(u"<a></", u"a"), kError);
}

TEST(Malformed, stray_less_than_and_markup_characters_alone) {
    for (const std::u16string text : {u"<", u"<<", u"</", u"<?", u"?>", u"/>", u">", u"<a", u"<a/"}) {
        EXPECT_EQ(ElementOf(text, u"a"), kError) << text.size();
        EXPECT_EQ(ElementOf(text, u"?a"), kError) << text.size();
        EXPECT_EQ(AttributeOf(text, u"a", u"x"), kError) << text.size();
    }
}

// Every prefix of a small valid list: an element is found exactly when the prefix holds its last
// ">", and nothing else is ever returned.
TEST(Malformed, every_prefix_of_a_list_finds_exactly_the_complete_elements) {
    const std::u16string decl = u"<?xml version=\"1.0\" encoding=\"gb18030\"?>";
    const std::u16string first = u"<Music Index=\"100\" Name=\"A\"></Music>";
    const std::u16string second = u"<Music Index=\"101\" Name=\"B\"/>";
    const std::u16string text = decl + u"\r\n<MusicList>\r\n\t" + first + u"\r\n\t" + second + u"\r\n</MusicList>\r\n";
    const size_t declEnd = decl.size();
    const size_t firstEnd = text.find(first) + first.size();
    const size_t secondEnd = text.find(second) + second.size();
    const size_t listEnd = text.rfind(u'>') + 1;

    for (size_t k = 0; k <= text.size(); ++k) {
        const std::u16string_view prefix = std::u16string_view(text).substr(0, k);
        int32_t position = 0;
        EXPECT_EQ(GetElement(prefix, u"Music", position, 1), k >= firstEnd ? first : kError) << k;
        EXPECT_EQ(GetElement(prefix, u"Music", position, 1), k >= secondEnd ? second : kError) << k;
        EXPECT_EQ(GetAttribute(prefix, u"?xml", 1, u"encoding"), k >= declEnd ? u"gb18030" : kError) << k;
        EXPECT_EQ(ElementOf(prefix, u"MusicList") != kError, k >= listEnd) << k;
    }
}

// --- FindOutsideQuotes --------------------------------------------------------------------

TEST(OutsideQuotes, quoted_characters_are_passed_over) {
    EXPECT_EQ(FindOutsideQuotes(1, u"a\">\">", u'>'), 5);
    EXPECT_EQ(FindOutsideQuotes(1, u"a'>'>", u'>'), 5);
    EXPECT_EQ(FindOutsideQuotes(1, u"'\"'>", u'>'), 4);  // a double quote inside single quotes
}

TEST(OutsideQuotes, the_start_position_itself_is_examined) { EXPECT_EQ(FindOutsideQuotes(3, u"a\">\">", u'>'), 3); }

TEST(OutsideQuotes, the_searched_character_may_be_a_quote) {
    // The first double quote is inside single quotes and is passed over without toggling anything.
    EXPECT_EQ(FindOutsideQuotes(1, u"'\"'\"", u'"'), 4);
}

TEST(OutsideQuotes, nothing_outside_quotes_or_a_start_outside_the_text_gives_zero) {
    EXPECT_EQ(FindOutsideQuotes(1, u"'>", u'>'), 0);
    EXPECT_EQ(FindOutsideQuotes(0, u">", u'>'), 0);
    EXPECT_EQ(FindOutsideQuotes(-5, u">", u'>'), 0);
    EXPECT_EQ(FindOutsideQuotes(2, u">", u'>'), 0);
}

// --- surrogates --------------------------------------------------------------------------

const std::u16string kNote = u"\xD83C\xDFB5";     // U+1F3B5, a pair in the name range
const std::u16string kPlane15 = u"\xDB80\xDC00";  // U+F0000, private-use high half
const std::u16string kQu = u"\u66F2";             // a CJK name character

TEST(Surrogates, a_name_with_a_character_above_the_basic_plane_is_found) {
    const std::u16string name = kQu + kNote;
    const std::u16string text = u"<" + name + u" a=\"1\"></" + name + u">";
    EXPECT_EQ(ElementOf(text, name), text);
    EXPECT_EQ(AttributeOf(text, name, u"a"), u"1");
}

TEST(Surrogates, a_surrogate_pair_continues_a_name) { EXPECT_EQ(ElementOf(u"<a" + kNote + u"/>", u"a"), kError); }

TEST(Surrogates, nested_names_with_pairs_are_skipped_unless_the_high_half_is_private_use) {
    const std::u16string note = u"<b" + kNote + u"></b" + kNote + u">";
    EXPECT_EQ(SkipElement(note, 1, kInfinity).After, static_cast<int32_t>(note.size()) + 1);
    EXPECT_FALSE(SkipElement(u"<b" + kPlane15 + u"></b" + kPlane15 + u">", 1, kInfinity).Found());
}

TEST(Surrogates, a_lone_low_surrogate_is_a_name_character) {
    const std::u16string text = u"<b\xDC00></b\xDC00>";
    EXPECT_EQ(SkipElement(text, 1, kInfinity).After, static_cast<int32_t>(text.size()) + 1);
}

TEST(Surrogates, values_keep_their_pairs_and_lone_halves) {
    EXPECT_EQ(AttributeOf(u"<x a=\" " + kNote + u" \"/>", u"x", u"a"), kNote);
    EXPECT_EQ(AttributeOf(u"<x a=\"\xD800\"/>", u"x", u"a"), u"\xD800");
}

TEST(Surrogates, an_unpaired_high_surrogate_at_the_end_of_the_text) {
    EXPECT_EQ(ElementOf(u"<a>\xD800", u"a"), kError);
    EXPECT_EQ(ElementOf(u"<a \xD800", u"a"), kError);
    EXPECT_EQ(ElementOf(u"<a\xD800", u"a"), kError);
}

}  // namespace
}  // namespace tavrin::xml
