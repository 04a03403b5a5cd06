// The reader on hand-counted cases, every prefix of a list, deep nests and the character classes
// at every range boundary. The xml fuzzer's seeds compare it with the slow, literal reading in
// fuzz/reference_reader.h on these texts and many random ones.
#include <gtest/gtest.h>

#include "xml_parser.h"

namespace tavrin::xml {
namespace {

using namespace std::literals;
const std::u16string E(kErrorText);

std::u16string ElementOf(std::u16string_view text, std::u16string_view name) {
    int32_t position = 0;
    return GetElement(text, name, position, 1);
}

TEST(Reader, HandCountedElementsAndAttributes) {
    struct Case {
        std::u16string_view text, name, attribute, expected;  // no attribute: the element
    };
    // clang-format off
    const Case cases[] = {
        {u"<Musical/><Music-x></Music-x>", u"Music", u"", E}, {u"<ab <a></a>", u"a", u"", u"<a></a>"},
        {u"<Music\u3000/>", u"Music", u"", u"<Music\u3000/>"}, {u"<a>x</a x></a>", u"a", u"", E},
        {u"<a>1 <2</a>", u"a", u"", u"<a>1 <2</a>"}, {u"<a>1 < 2</a>", u"a", u"", E},
        {u"<a><a></a>", u"a", u"", E}, {u"<a><b-c x=\"</a>\"/></a>", u"a", u"", u"<a><b-c x=\"</a>"},
        {u"<a><a><a></a></a></a>", u"a", u"", u"<a><a><a></a></a>"}, {u"<?>", u"?", u"", E},
        {u"<M Index\r\n=\r\n'7'></M>", u"M", u"Index", u"7"}, {u"<x a=1\tb=2></x>", u"x", u"a", u"1\tb=2"},
        {u"<?pi a=\"x y ?>", u"?pi", u"a", u"x y"}, {u"<x a=\"\u3000w  v\u00A0\"></x>", u"x", u"a", u"w  v"},
        {u"<x FileName=\"a\"></x>", u"x", u"Name", E}, {u"<x b='1'a='2'></x>", u"x", u"a", E},
        {u"<x T=\"see L=3\" L=\"7\"></x>", u"x", u"L", u"3\""}, {u"<x><y a=\"1\"/></x>", u"x", u"a", E},
        {u"<x a=\"^ERROR\"/>", u"x", u"a", E}, {u"<x a=\"\xD800\"/>", u"x", u"a", u"\xD800"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.text)));
        EXPECT_EQ(c.attribute.empty() ? ElementOf(c.text, c.name) : GetAttribute(c.text, c.name, 1, c.attribute),
                  c.expected);
    }
    EXPECT_EQ(TrimWhite(u" \t\r\n a b \u3000\u00A0\u2028"), u"a b");
    EXPECT_EQ(TrimWhite(u"\u1680x\u205F"), u"x");
    EXPECT_EQ(TrimWhite(u"\u200Bx\b"), u"\u200Bx\b");
    EXPECT_EQ(TrimWhite(u" \t\u3000 "), u"");
    EXPECT_EQ(TrimWhite(u"   "sv.substr(0, 2)), u"") << "an all-white view ends where it ends";
}

// Every prefix of a small valid list: an element is found exactly when the prefix holds its last
// ">", and nothing else is ever returned.
TEST(Reader, EveryPrefixOfAListFindsExactlyTheCompleteElements) {
    const std::u16string decl = u"<?xml version=\"1.0\" encoding=\"gb18030\"?>";
    const std::u16string first = u"<Music Index=\"100\" Name=\"A\"></Music>", second = u"<Music Index=\"101\"/>";
    const std::u16string text = decl + u"\r\n<MusicList>\r\n\t" + first + u"\r\n\t" + second + u"\r\n</MusicList>\r\n";
    const size_t firstEnd = text.find(first) + first.size(), secondEnd = text.find(second) + second.size();
    for (size_t k = 0; k <= text.size(); ++k) {
        const std::u16string_view prefix = std::u16string_view(text).substr(0, k);
        int32_t position = 0;
        EXPECT_EQ(GetElement(prefix, u"Music", position, 1), k >= firstEnd ? first : E) << k;
        EXPECT_EQ(position, k >= firstEnd ? static_cast<int32_t>(firstEnd) : 0) << k;
        EXPECT_EQ(GetElement(prefix, u"Music", position, 1), k >= secondEnd ? second : E) << k;
        EXPECT_EQ(GetAttribute(prefix, u"?xml", 1, u"encoding"), k >= decl.size() ? u"gb18030" : E) << k;
        EXPECT_EQ(ElementOf(prefix, u"MusicList") != E, k >= text.rfind(u'>') + 1) << k;
    }
}

TEST(Reader, DeepNestsAndLongListsAreReadWhole) {
    // Fixed-width names, so that no end tag begins with another element's close.
    std::u16string open, close, a, siblings;
    for (int level = 10000; level < 30000; ++level) {
        const std::string digits = std::to_string(level);
        if (level < 13000) open += u"<n" + std::u16string(digits.begin(), digits.end()) + u">";
        if (level < 13000) close = u"</n" + std::u16string(digits.begin(), digits.end()) + u">" + close;
        if (level < 13000) a += u"<a>";
        siblings += u"<b>";
    }
    EXPECT_EQ(ElementOf(open + close, u"n10000"), open + close);
    EXPECT_EQ(ElementOf(a + u"</a></a>", u"a"), a + u"</a></a>") << "the innermost elements close first";
    // Every <a> fails on the malformed "</ax" and the scan retries inside it; <r> is still found.
    const std::u16string unclosed = u"<r>" + a.substr(0, 900) + u"</ax</r>";
    EXPECT_EQ(ElementOf(unclosed, u"r"), unclosed);
    EXPECT_EQ(ElementOf(unclosed, u"a"), E);
    EXPECT_EQ(ElementOf(u"<r>" + siblings + u"</r>", u"r"), u"<r>" + siblings + u"</r>");
}

TEST(CharClass, EachRangesFirstAndLastCodeUnitAndTheNeighboursOutsideIt) {
    // Hyphen, full stop, middle dot, combining marks and markup are no name characters; the Ogham
    // space mark is white inside a name range.
    // clang-format off
    const std::u16string_view classes[] = {
        u"\x00\x08\x0E\x1F\x21\x84\x86\x9F\xA1\x200B\x2027\x202A\x202E\x2030\x205E\x2060\x2FFF\x3B\x40\x5B\x5E\x60"
        u"\x7B\xBF\xD7\xF7\x300\x36F\x37E\x200E\x206F\x2190\x2BFF\x2FF0\xDB80\xDBFF\xE000\xF8FF\xFDD0\xFDEF\xFFFE\xFFFF"
        u"-.\xB7\x203F\x2040\x301\x345<>/?!=\"'&;#[]"sv,
        u"\x30\x39\x3A\x41\x5A\x5F\x61\x7A\xC0\xD6\xD8\xF6\xF8\x2FF\x370\x37D\x37F\x1FFF\x200C\x200D\x2070\x218F\x2C00"
        u"\x2FEF\x3001\xDB7F\xDC00\xDFFF\xF900\xFDCF\xFDF0\xFFFD\x167F\x1681"sv,
        u"\x09\x0D\x20\x85\xA0\x2000\x200A\x2028\x2029\x202F\x205F\x3000\x1680"sv};
    // clang-format on
    for (const int cls : {kOtherChar, kNameChar, kWhiteChar})
        for (const char16_t c : classes[cls]) EXPECT_EQ(XmlCharClass(c), cls) << static_cast<int>(c);
    // What the classes do: "<x" c opens the attribute list only when c is white space, and
    // "<a" c "b></a" c "b>" is one element only when c is a name character.
    for (const char16_t c : u"\x20\x3000\x85\x5F\xB7\x300"sv) {
        const std::u16string cs(1, c);
        EXPECT_EQ(GetAttribute(u"<x" + cs + u"a=\"1\"/>", u"x", 1, u"a"), XmlCharClass(c) == kWhiteChar ? u"1" : E);
        EXPECT_EQ(SkipElement(u"<a" + cs + u"b></a" + cs + u"b>", 1, kInfinity).Found(), XmlCharClass(c) == kNameChar);
    }
}

}  // namespace
}  // namespace tavrin::xml
