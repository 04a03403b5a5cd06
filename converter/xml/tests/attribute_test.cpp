// Reading attribute values: quote styles, unquoted values, names that begin or end other names,
// and values taken raw.
#include <gtest/gtest.h>

#include <string>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::AttributeOf;
using testing::kError;

// --- quote styles and unquoted values ------------------------------------------------------

TEST(QuoteStyle, double_single_and_unquoted_values_side_by_side) {
    const std::u16string text = u"<x a=\"1\" b='2' c=3></x>";
    EXPECT_EQ(AttributeOf(text, u"x", u"a"), u"1");
    EXPECT_EQ(AttributeOf(text, u"x", u"b"), u"2");
    EXPECT_EQ(AttributeOf(text, u"x", u"c"), u"3");
}

TEST(QuoteStyle, an_unquoted_value_ends_at_the_next_space) {
    const std::u16string text = u"<x a=1 b=2></x>";
    EXPECT_EQ(AttributeOf(text, u"x", u"a"), u"1");
    EXPECT_EQ(AttributeOf(text, u"x", u"b"), u"2");
}

TEST(QuoteStyle, an_unquoted_value_runs_over_tabs_and_line_breaks) {
    // Only the space character delimits an unquoted value.
    EXPECT_EQ(AttributeOf(u"<x a=1\tb=2></x>", u"x", u"a"), u"1\tb=2");
    EXPECT_EQ(AttributeOf(u"<x a=1\tb=2></x>", u"x", u"b"), u"2");
    EXPECT_EQ(AttributeOf(u"<x a=1\r\n b=2></x>", u"x", u"a"), u"1");  // the trailing CR LF is trimmed
}

TEST(QuoteStyle, a_value_without_its_closing_quote_runs_to_the_end_of_the_tag) {
    // Inside an instruction quotes do not matter for the end of the tag.
    EXPECT_EQ(AttributeOf(u"<?pi a=\"x y ?>", u"?pi", u"a"), u"x y");
    EXPECT_EQ(AttributeOf(u"<?pi a=\"?>", u"?pi", u"a"), u"");
}

TEST(QuoteStyle, empty_values) {
    const std::u16string text = u"<x a=\"\" b='' c=\" \"></x>";
    EXPECT_EQ(AttributeOf(text, u"x", u"a"), u"");
    EXPECT_EQ(AttributeOf(text, u"x", u"b"), u"");
    EXPECT_EQ(AttributeOf(text, u"x", u"c"), u"");
}

TEST(QuoteStyle, values_are_trimmed_of_every_kind_of_white_space) {
    EXPECT_EQ(AttributeOf(u"<x a=\"  padded\t\"></x>", u"x", u"a"), u"padded");
    EXPECT_EQ(AttributeOf(u"<x a=\"\u3000wide\u00A0\"></x>", u"x", u"a"), u"wide");
    EXPECT_EQ(AttributeOf(u"<x a=\" two  words \"></x>", u"x", u"a"), u"two  words");
}

TEST(QuoteStyle, an_equals_sign_with_nothing_after_it_is_a_missing_value) {
    EXPECT_EQ(AttributeOf(u"<x a=></x>", u"x", u"a"), kError);
    EXPECT_EQ(AttributeOf(u"<x a= ></x>", u"x", u"a"), kError);
    EXPECT_EQ(AttributeOf(u"<?pi a=?>", u"?pi", u"a"), kError);
}

TEST(QuoteStyle, entity_and_character_references_are_not_decoded) {
    EXPECT_EQ(AttributeOf(u"<x a=\"Tom &amp; Jerry\"></x>", u"x", u"a"), u"Tom &amp; Jerry");
    EXPECT_EQ(AttributeOf(u"<x a='&#x41;&lt;'></x>", u"x", u"a"), u"&#x41;&lt;");
}

// --- attribute names that begin or end other names ----------------------------------------

TEST(AttributePrefix, a_longer_name_before_the_wanted_one_is_passed_over) {
    EXPECT_EQ(AttributeOf(u"<x Index2=\"5\" Index=\"7\"></x>", u"x", u"Index"), u"7");
    EXPECT_EQ(AttributeOf(u"<x IndexEx=\"5\" Index=\"7\"></x>", u"x", u"Index"), u"7");
}

TEST(AttributePrefix, a_longer_name_after_the_wanted_one_is_found_by_its_full_name) {
    const std::u16string text = u"<x Index=\"7\" IndexEx=\"5\"></x>";
    EXPECT_EQ(AttributeOf(text, u"x", u"Index"), u"7");
    EXPECT_EQ(AttributeOf(text, u"x", u"IndexEx"), u"5");
}

TEST(AttributePrefix, a_name_ending_a_longer_name_is_passed_over) {
    const std::u16string fileFirst = u"<x FileName=\"a.txt\" Name=\"Song\"></x>";
    EXPECT_EQ(AttributeOf(fileFirst, u"x", u"Name"), u"Song");
    EXPECT_EQ(AttributeOf(fileFirst, u"x", u"FileName"), u"a.txt");
    EXPECT_EQ(AttributeOf(u"<x FileName=\"a.txt\"></x>", u"x", u"Name"), kError);
}

TEST(AttributePrefix, a_double_quote_may_stand_right_before_a_name) {
    EXPECT_EQ(AttributeOf(u"<x b=\"1\"a=\"2\"></x>", u"x", u"a"), u"2");
}

TEST(AttributePrefix, a_single_quote_right_before_a_name_is_not_accepted) {
    EXPECT_EQ(AttributeOf(u"<x b='1'a='2'></x>", u"x", u"a"), kError);
}

TEST(AttributePrefix, a_name_without_a_value_is_passed_over) {
    EXPECT_EQ(AttributeOf(u"<x a b=\"1\"></x>", u"x", u"b"), u"1");
    EXPECT_EQ(AttributeOf(u"<x a b=\"1\"></x>", u"x", u"a"), kError);
}

TEST(AttributePrefix, attribute_like_text_inside_an_earlier_value_is_taken) {
    // The search does not know about values: " Level=3" inside Title is the first match, and its
    // unquoted value runs to the next space.
    EXPECT_EQ(AttributeOf(u"<x Title=\"see Level=3\" Level=\"7\"></x>", u"x", u"Level"), u"3\"");
}

TEST(AttributePrefix, a_name_at_the_very_start_of_the_tag_text_ends_the_search) {
    // The first match has no character before it: that is a failure, not a reason to go on.
    // The tag text begins with the white space after "x", so " a" matches at its very start; the
    // later " a" (after a double quote) is never tried.
    EXPECT_EQ(AttributeOf(u"<x a=\"1\" a=\"2\"></x>", u"x", u" a"), kError);
    EXPECT_EQ(AttributeOf(u"<x\t a=\"1\"></x>", u"x", u" a"), u"1");
}

TEST(AttributePrefix, attribute_names_are_case_sensitive) {
    EXPECT_EQ(AttributeOf(u"<x index=\"1\"></x>", u"x", u"Index"), kError);
}

// --- which element's attributes are read ---------------------------------------------------

TEST(AttributeScope, only_the_start_tag_is_searched) {
    EXPECT_EQ(AttributeOf(u"<x>a=\"1\"</x>", u"x", u"a"), kError);
    EXPECT_EQ(AttributeOf(u"<x><y a=\"1\"/></x>", u"x", u"a"), kError);
}

TEST(AttributeScope, the_nth_element_is_read) {
    const std::u16string text = u"<m i=\"1\"/><m i=\"2\"></m><m i=\"3\"/>";
    EXPECT_EQ(GetAttribute(text, u"m", 1, u"i"), u"1");
    EXPECT_EQ(GetAttribute(text, u"m", 2, u"i"), u"2");
    EXPECT_EQ(GetAttribute(text, u"m", 3, u"i"), u"3");
    EXPECT_EQ(GetAttribute(text, u"m", 4, u"i"), kError);
    EXPECT_EQ(GetAttribute(text, u"m", 0, u"i"), kError);
}

TEST(AttributeScope, a_missing_element_or_attribute_gives_the_sentinel) {
    const std::u16string text = u"<x a=\"1\"/>";
    EXPECT_EQ(AttributeOf(text, u"y", u"a"), kError);
    EXPECT_EQ(AttributeOf(text, u"x", u"b"), kError);
    EXPECT_EQ(AttributeOf(text, u"x", u""), kError);
    EXPECT_EQ(AttributeOf(text, u"", u"a"), kError);
}

TEST(AttributeScope, a_value_that_reads_like_the_sentinel_is_returned_as_it_is) {
    EXPECT_EQ(AttributeOf(u"<x a=\"^ERROR\"/>", u"x", u"a"), kError);
    EXPECT_EQ(AttributeOf(u"<x a=\"^error\"/>", u"x", u"a"), u"^error");
}

}  // namespace
}  // namespace tavrin::xml
