// The character table: every boundary of the white-space and name-character ranges and the code
// units on either side, and what the classes do to names and values.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::AttributeOf;
using testing::kError;

struct Expected {
    char16_t code;
    int cls;
};

std::string Hex(char16_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

// Each range's first and last code unit and the neighbours outside it.
const std::vector<Expected> kNameBoundaries = {
    {0x2F, 0},   {0x30, 1},   {0x39, 1},   {0x3A, 1},   {0x3B, 0},  // digits, ":"
    {0x40, 0},   {0x41, 1},   {0x5A, 1},   {0x5B, 0},               // A-Z
    {0x5E, 0},   {0x5F, 1},   {0x60, 0},                            // "_"
    {0x61, 1},   {0x7A, 1},   {0x7B, 0},                            // a-z
    {0xBF, 0},   {0xC0, 1},   {0xD6, 1},   {0xD7, 0},   {0xD8, 1},   {0xF6, 1},   {0xF7, 0},   {0xF8, 1},   {0x2FF, 1},
    {0x300, 0},  {0x36F, 0},  {0x370, 1},  {0x37D, 1},  {0x37E, 0},  {0x37F, 1},  {0x1FFF, 1}, {0x200B, 0}, {0x200C, 1},
    {0x200D, 1}, {0x200E, 0}, {0x206F, 0}, {0x2070, 1}, {0x218F, 1}, {0x2190, 0}, {0x2BFF, 0}, {0x2C00, 1}, {0x2FEF, 1},
    {0x2FF0, 0}, {0x3001, 1}, {0xDB7F, 1}, {0xDB80, 0},  // up to the high surrogates
    {0xDBFF, 0}, {0xDC00, 1}, {0xDFFF, 1}, {0xE000, 0},  // low surrogates
    {0xF8FF, 0}, {0xF900, 1}, {0xFDCF, 1}, {0xFDD0, 0}, {0xFDEF, 0}, {0xFDF0, 1}, {0xFFFD, 1}, {0xFFFE, 0}, {0xFFFF, 0},
};

const std::vector<Expected> kWhiteBoundaries = {
    {0x00, 0},   {0x08, 0},   {0x09, 2},   {0x0D, 2},   {0x0E, 0},   {0x1F, 0},   {0x20, 2},   {0x21, 0},
    {0x84, 0},   {0x85, 2},   {0x86, 0},   {0x9F, 0},   {0xA0, 2},   {0xA1, 0},   {0x1FFF, 1}, {0x2000, 2},
    {0x200A, 2}, {0x200B, 0}, {0x2027, 0}, {0x2028, 2}, {0x2029, 2}, {0x202A, 0}, {0x202E, 0}, {0x202F, 2},
    {0x2030, 0}, {0x205E, 0}, {0x205F, 2}, {0x2060, 0}, {0x2FFF, 0}, {0x3000, 2}, {0x3001, 1},
};

TEST(CharClass, name_range_boundaries_and_their_neighbours) {
    for (const Expected& e : kNameBoundaries) {
        EXPECT_EQ(XmlCharClass(e.code), e.cls) << Hex(e.code);
    }
}

TEST(CharClass, white_space_code_units_and_their_neighbours) {
    for (const Expected& e : kWhiteBoundaries) {
        EXPECT_EQ(XmlCharClass(e.code), e.cls) << Hex(e.code);
    }
}

TEST(CharClass, ogham_space_mark_is_white_although_it_lies_in_a_name_range) {
    EXPECT_EQ(XmlCharClass(0x167F), kNameChar);
    EXPECT_EQ(XmlCharClass(0x1680), kWhiteChar);
    EXPECT_EQ(XmlCharClass(0x1681), kNameChar);
}

TEST(CharClass, hyphen_full_stop_middle_dot_and_combining_marks_are_no_name_characters) {
    EXPECT_EQ(XmlCharClass(u'-'), kOtherChar);
    EXPECT_EQ(XmlCharClass(u'.'), kOtherChar);
    EXPECT_EQ(XmlCharClass(0xB7), kOtherChar);
    for (char16_t c = 0x300; c <= 0x36F; ++c) EXPECT_EQ(XmlCharClass(c), kOtherChar) << Hex(c);
    EXPECT_EQ(XmlCharClass(0x203F), kOtherChar);
    EXPECT_EQ(XmlCharClass(0x2040), kOtherChar);
}

TEST(CharClass, markup_characters_are_other) {
    for (char16_t c : std::u16string(u"<>/?!=\"'&;#[]")) {
        EXPECT_EQ(XmlCharClass(c), kOtherChar) << Hex(c);
    }
}

// The start tag "<x" + c is accepted only when c is white space (or ">" or "/"): the attribute is
// then read, otherwise the element is not found at all.
TEST(CharClass, only_white_space_after_a_name_opens_the_attribute_list) {
    for (const auto* table : {&kWhiteBoundaries, &kNameBoundaries}) {
        for (const Expected& e : *table) {
            if (e.code == u'/') continue;  // "/" closes the tag instead
            std::u16string text = u"<x";
            text += e.code;
            text += u"a=\"1\"/>";
            EXPECT_EQ(AttributeOf(text, u"x", u"a"), e.cls == kWhiteChar ? u"1" : kError) << Hex(e.code);
        }
    }
}

// A nested element's name is read as far as name characters go; "<a" c "b></a" c "b>" is one
// element named "a" c "b" exactly when c is a name character. (White space makes "b" an
// attribute and the end tag "</a" c "b>" malformed; any other character ends the name badly.)
TEST(CharClass, name_characters_continue_a_nested_element_name) {
    for (const auto* table : {&kWhiteBoundaries, &kNameBoundaries}) {
        for (const Expected& e : *table) {
            if (e.code == u'/') continue;  // "<a/" is a self-closing tag
            std::u16string text = u"<a";
            text += e.code;
            text += u"b></a";
            text += e.code;
            text += u"b>";
            const ElementSpan span = SkipElement(text, 1, kInfinity);
            EXPECT_EQ(span.Found(), e.cls == kNameChar) << Hex(e.code);
            if (e.cls == kNameChar) {
                EXPECT_EQ(span.After, static_cast<int32_t>(text.size()) + 1) << Hex(e.code);
            }
        }
    }
}

TEST(TrimWhite, removes_white_space_of_every_kind_at_both_ends_only) {
    EXPECT_EQ(TrimWhite(u" \t\r\n a b \u3000\u00A0\u2028"), u"a b");
    EXPECT_EQ(TrimWhite(u"\u1680x\u205F"), u"x");
    EXPECT_EQ(TrimWhite(u"a\t\tb"), u"a\t\tb");
}

TEST(TrimWhite, keeps_zero_width_and_other_characters) {
    EXPECT_EQ(TrimWhite(u"\u200Bx\u200B"), u"\u200Bx\u200B");
    EXPECT_EQ(TrimWhite(u"\u0008x\u000E"), u"\u0008x\u000E");
}

TEST(TrimWhite, all_white_and_empty_text_give_the_empty_string) {
    EXPECT_EQ(TrimWhite(u" \t\u3000 "), u"");
    EXPECT_EQ(TrimWhite(u""), u"");
}

}  // namespace
}  // namespace tavrin::xml
