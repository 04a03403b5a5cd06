// Nested elements: same-name nesting, nested elements whose end tags lie beyond the enclosing end
// tag, names that cannot be skipped, and nests deep or tangled enough to need care.
#include <gtest/gtest.h>

#include <string>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::ElementOf;
using testing::kError;

std::u16string Repeat(std::u16string_view piece, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(Nesting, the_outer_element_runs_to_its_own_end_tag) {
    EXPECT_EQ(ElementOf(u"<a><a></a></a>", u"a"), u"<a><a></a></a>");
}

TEST(Nesting, an_unclosed_outer_element_is_not_found) {
    // The inner element takes the only end tag.
    EXPECT_EQ(ElementOf(u"<a><a></a>", u"a"), kError);
}

TEST(Nesting, the_inner_element_is_found_from_a_position_inside_the_outer_one) {
    const std::u16string text = u"<a><a></a></a>";
    int32_t position = 1;
    EXPECT_EQ(GetElement(text, u"a", position, 1), u"<a></a>");
    EXPECT_EQ(position, 10);
}

TEST(Nesting, same_name_inside_another_element_is_skipped_after_a_retry) {
    // <b>'s end tag lies beyond the first "</a", so <b> is not skipped as a whole; the scan goes on
    // inside it, skips the inner <a>, and finds the outer end tag.
    const std::u16string text = u"<a><b><a></a></b></a>";
    EXPECT_EQ(ElementOf(text, u"a"), text);
}

TEST(Nesting, a_self_closing_inner_element_of_the_same_name) {
    EXPECT_EQ(ElementOf(u"<a><a/></a>", u"a"), u"<a><a/></a>");
}

TEST(Nesting, a_self_closing_inner_element_hides_a_quoted_end_tag) {
    const std::u16string text = u"<a><b x=\"</a>\"/></a>";
    EXPECT_EQ(ElementOf(text, u"a"), text);
}

TEST(Nesting, a_nested_name_with_a_hyphen_is_no_element_so_its_quoted_end_tag_counts) {
    // "<b-c" ends its name at "-": no element. The scan goes on inside it and the quoted "</a>"
    // closes the outer element.
    EXPECT_EQ(ElementOf(u"<a><b-c x=\"</a>\"/></a>", u"a"), u"<a><b-c x=\"</a>");
}

TEST(Nesting, nested_names_with_hyphen_or_full_stop_cannot_be_skipped) {
    EXPECT_FALSE(SkipElement(u"<x-y></x-y>", 1, kInfinity).Found());
    EXPECT_FALSE(SkipElement(u"<x.y/>", 1, kInfinity).Found());
    const ElementSpan xy = SkipElement(u"<xy></xy>", 1, kInfinity);
    EXPECT_EQ(xy.Start, 1);
    EXPECT_EQ(xy.After, 10);
}

TEST(Nesting, an_instruction_in_content_is_skipped_with_what_it_holds) {
    const std::u16string text = u"<a><?pi </a> ?></a>";
    EXPECT_EQ(ElementOf(text, u"a"), text);
}

TEST(Nesting, an_instruction_start_without_its_end_does_not_stop_the_element) {
    EXPECT_EQ(ElementOf(u"<a><?pi</a>", u"a"), u"<a><?pi</a>");
}

TEST(SkipElementSpan, element_with_content) {
    // <b> at 4, its ">" at 6, its end tag "</b>" at 10..13.
    const ElementSpan span = SkipElement(u"xx <b>txt</b> yy", 1, kInfinity);
    EXPECT_EQ(span.Start, 4);
    EXPECT_EQ(span.ContentStart, 7);
    EXPECT_EQ(span.ContentEnd, 10);
    EXPECT_EQ(span.After, 14);
    EXPECT_EQ(span.NameEnd, 0);  // not filled
    EXPECT_EQ(span.TagEnd, 0);
}

TEST(SkipElementSpan, self_closing_element_and_instruction) {
    const ElementSpan selfClosing = SkipElement(u"<b x=\"1\" />", 1, kInfinity);
    EXPECT_EQ(selfClosing.Start, 1);
    EXPECT_EQ(selfClosing.ContentStart, 11);  // after the "/" at 10
    EXPECT_EQ(selfClosing.ContentEnd, 11);    // the ">"
    EXPECT_EQ(selfClosing.After, 12);

    const ElementSpan instruction = SkipElement(u"<?pi x?>", 1, kInfinity);
    EXPECT_EQ(instruction.Start, 1);
    EXPECT_EQ(instruction.ContentStart, 9);
    EXPECT_EQ(instruction.ContentEnd, 9);
    EXPECT_EQ(instruction.After, 9);
}

TEST(SkipElementSpan, the_end_tag_must_begin_by_the_limit) {
    // "</b" begins at 6.
    EXPECT_EQ(SkipElement(u"<b>xx</b>", 1, 5), ElementSpan{});
    EXPECT_EQ(SkipElement(u"<b>xx</b>", 1, 6).After, 10);
}

TEST(SkipElementSpan, self_closing_elements_and_instructions_ignore_the_limit) {
    EXPECT_EQ(SkipElement(u"<b/>", 1, 1).After, 5);
    EXPECT_EQ(SkipElement(u"<?b?>", 1, 1).After, 6);
}

TEST(SkipElementSpan, an_end_tag_is_no_element) { EXPECT_FALSE(SkipElement(u"</b>", 1, kInfinity).Found()); }

TEST(SkipElementSpan, the_first_less_than_at_or_after_from_is_used) {
    const std::u16string text = u"<a/><b/>";
    EXPECT_EQ(SkipElement(text, 1, kInfinity).Start, 1);
    EXPECT_EQ(SkipElement(text, 2, kInfinity).Start, 5);
    EXPECT_FALSE(SkipElement(text, 6, kInfinity).Found());
    EXPECT_FALSE(SkipElement(text, 0, kInfinity).Found());
}

TEST(SkipElementSpan, less_than_before_a_character_that_starts_no_name_is_passed_over) {
    EXPECT_EQ(SkipElement(u"<-<<b/>", 1, kInfinity).Start, 4);
}

TEST(Nesting, same_name_nests_deeper_than_two_close_at_the_second_end_tag) {
    // Inside <a><a><a>, the middle <a> ends at the second "</a", after the first "</a" that limits
    // it: it does not count as nested. The scan goes on inside it, the innermost <a> fits, and the
    // outer element takes the second end tag.
    EXPECT_EQ(ElementOf(u"<a><a><a></a></a></a>", u"a"), u"<a><a><a></a></a>");
}

TEST(DeepNesting, a_deep_nest_of_distinct_names_is_read_whole) {
    // Fixed-width names, so that no end tag begins with another element's close.
    const int depth = 3000;
    std::u16string open;
    std::u16string close;
    for (int level = 0; level < depth; ++level) {
        std::u16string name = u"n";
        for (int value = level, digit = 0; digit < 4; ++digit, value /= 10) {
            name += static_cast<char16_t>(u'0' + value % 10);
        }
        open += u"<" + name + u">";
        close = u"</" + name + u">" + close;
    }
    const std::u16string text = open + close;
    int32_t position = 0;
    EXPECT_EQ(GetElement(text, u"n0000", position, 1), text);
    EXPECT_EQ(position, static_cast<int32_t>(text.size()));
}

TEST(DeepNesting, a_deep_same_name_nest_closes_at_the_second_end_tag) {
    const int depth = 3000;
    EXPECT_EQ(ElementOf(Repeat(u"<a>", depth) + Repeat(u"</a>", depth), u"a"), Repeat(u"<a>", depth) + u"</a></a>");
}

TEST(DeepNesting, unclosed_nests_under_a_closed_element) {
    // Every <a> fails on the malformed "</ax" and the scan retries inside it; each retry meets the
    // same inner elements again. The enclosing <r> is still found.
    const std::u16string text = u"<r>" + Repeat(u"<a>", 300) + u"</ax</r>";
    EXPECT_EQ(ElementOf(text, u"r"), text);
    EXPECT_EQ(ElementOf(text, u"a"), kError);
}

TEST(DeepNesting, many_unclosed_siblings_under_a_closed_element) {
    const std::u16string text = u"<r>" + Repeat(u"<b>", 20000) + u"</r>";
    EXPECT_EQ(ElementOf(text, u"r"), text);
}

}  // namespace
}  // namespace tavrin::xml
