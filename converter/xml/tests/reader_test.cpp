// The reader on hand-counted cases: which element a name finds, which attribute value it reads,
// every prefix of a list, deep nests, and the character classes at every range boundary. The xml
// fuzzer's seeds (these texts, and many random ones) compare the reader with the slow, literal
// reading in fuzz/reference_reader.h.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "xml_test_support.h"

namespace tavrin::xml {
namespace {

using testing::AttributeOf;
using testing::ElementOf;
using testing::kError;

std::string Printable(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) {
        char buf[8];
        std::snprintf(buf, sizeof buf, c >= 0x20 && c < 0x7F ? "%c" : "\\u%04X", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

struct Case {
    std::u16string text, name;
    int32_t n;  // the nth element; 0: read the attribute instead
    std::u16string attribute;
    std::u16string expected;  // element text, attribute value or kError
};

// clang-format off
const Case kCases[] = {
    {u"<Musical/><MusicList></MusicList>", u"Music", 1, u"", kError},
    {u"<Music2/>", u"Music", 1, u"", kError},
    {u"<Music:x/>", u"Music", 1, u"", kError},
    {u"<Music_x/>", u"Music", 1, u"", kError},
    {u"<Music-x></Music-x>", u"Music", 1, u"", kError},
    {u"<Music.x/>", u"Music", 1, u"", kError},
    {u"<Music-x></Music-x>", u"Music-x", 1, u"", u"<Music-x></Music-x>"},
    {u"<a<a></a>", u"a", 1, u"", kError},
    {u"<ab <a></a>", u"a", 1, u"", u"<a></a>"},
    {u"<music/><MUSIC/>", u"Music", 1, u"", kError},
    {u"<Music\tIndex=\"1\"/>", u"Music", 1, u"", u"<Music\tIndex=\"1\"/>"},
    {u"<Music\u3000/>", u"Music", 1, u"", u"<Music\u3000/>"},
    {u"<Music\u0085></Music>", u"Music", 1, u"", u"<Music\u0085></Music>"},
    {u"<Music Index = \"7\" ></Music>", u"Music", 0, u"Index", u"7"},
    {u"<Music Index\r\n=\r\n'7'></Music>", u"Music", 0, u"Index", u"7"},
    {u"<Music Index=\"1\"></Music >", u"Music", 1, u"", u"<Music Index=\"1\"></Music >"},
    {u"<Music></Music\t\r\n>", u"Music", 1, u"", u"<Music></Music\t\r\n>"},
    {u"<Music></MusicX>", u"Music", 1, u"", kError},
    {u"<Music></MusicX></Music>", u"Music", 1, u"", kError},
    {u"<a>x</a x></a>", u"a", 1, u"", kError},
    {u"<a>1 <2</a>", u"a", 1, u"", u"<a>1 <2</a>"},
    {u"<a>x<<</a>", u"a", 1, u"", u"<a>x<<</a>"},
    {u"<a>x <- y</a>", u"a", 1, u"", u"<a>x <- y</a>"},
    {u"<a>1 < 2</a>", u"a", 1, u"", kError},
    {u"<a>< b></a>", u"a", 1, u"", u"<a>< b></a>"},
    {u"<x a=1\tb=2></x>", u"x", 0, u"a", u"1\tb=2"},
    {u"<x a=1\tb=2></x>", u"x", 0, u"b", u"2"},
    {u"<x a=1\r\n b=2></x>", u"x", 0, u"a", u"1"},
    {u"<?pi a=\"x y ?>", u"?pi", 0, u"a", u"x y"},
    {u"<?pi a=\"?>", u"?pi", 0, u"a", u""},
    {u"<x a=\"  padded\t\"></x>", u"x", 0, u"a", u"padded"},
    {u"<x a=\"\u3000wide\u00A0\"></x>", u"x", 0, u"a", u"wide"},
    {u"<x a=\" two  words \"></x>", u"x", 0, u"a", u"two  words"},
    {u"<x a=></x>", u"x", 0, u"a", kError},
    {u"<x a= ></x>", u"x", 0, u"a", kError},
    {u"<?pi a=?>", u"?pi", 0, u"a", kError},
    {u"<x a=\"Tom &amp; Jerry\"></x>", u"x", 0, u"a", u"Tom &amp; Jerry"},
    {u"<x a='&#x41;&lt;'></x>", u"x", 0, u"a", u"&#x41;&lt;"},
    {u"<x Index2=\"5\" Index=\"7\"></x>", u"x", 0, u"Index", u"7"},
    {u"<x IndexEx=\"5\" Index=\"7\"></x>", u"x", 0, u"Index", u"7"},
    {u"<x FileName=\"a.txt\"></x>", u"x", 0, u"Name", kError},
    {u"<x b=\"1\"a=\"2\"></x>", u"x", 0, u"a", u"2"},
    {u"<x b='1'a='2'></x>", u"x", 0, u"a", kError},
    {u"<x a b=\"1\"></x>", u"x", 0, u"b", u"1"},
    {u"<x a b=\"1\"></x>", u"x", 0, u"a", kError},
    {u"<x Title=\"see Level=3\" Level=\"7\"></x>", u"x", 0, u"Level", u"3\""},
    {u"<x a=\"1\" a=\"2\"></x>", u"x", 0, u" a", kError},
    {u"<x\t a=\"1\"></x>", u"x", 0, u" a", u"1"},
    {u"<x index=\"1\"></x>", u"x", 0, u"Index", kError},
    {u"<x>a=\"1\"</x>", u"x", 0, u"a", kError},
    {u"<x><y a=\"1\"/></x>", u"x", 0, u"a", kError},
    {u"<x a=\"^ERROR\"/>", u"x", 0, u"a", kError},
    {u"<x a=\"^error\"/>", u"x", 0, u"a", u"^error"},
    {u"<a><a></a></a>", u"a", 1, u"", u"<a><a></a></a>"},
    {u"<a><a></a>", u"a", 1, u"", kError},
    {u"<a><a/></a>", u"a", 1, u"", u"<a><a/></a>"},
    {u"<a><b-c x=\"</a>\"/></a>", u"a", 1, u"", u"<a><b-c x=\"</a>"},
    {u"<a><?pi</a>", u"a", 1, u"", u"<a><?pi</a>"},
    {u"<a><a><a></a></a></a>", u"a", 1, u"", u"<a><a><a></a></a>"},
    {u"<?xml version='1.0' encoding='UTF-8'?>", u"?xml", 0, u"encoding", u"UTF-8"},
    {u"<?xml encoding=gbk?>", u"?xml", 0, u"encoding", u"gbk"},
    {u"<?xml encoding=\"gbk\" ?>", u"?xml", 0, u"encoding", u"gbk"},
    {u"<?xml?>", u"?xml", 1, u"", u"<?xml?>"},
    {u"<?>", u"?", 1, u"", kError},
    {u"<?xml version=\"1.0\">", u"?xml", 1, u"", kError},
    {u"<?xml version=\"1.0\">", u"?xml", 0, u"version", kError},
    {u"<Music", u"Music", 1, u"", kError},
    {u"<Music ", u"Music", 1, u"", kError},
    {u"<Music Index=\"5\"", u"Music", 1, u"", kError},
    {u"<Music Index=\"5\" /", u"Music", 1, u"", kError},
    {u"<Music Index=\"5\"", u"Music", 0, u"Index", kError},
    {u"<Music Index=\"5\">", u"Music", 1, u"", kError},
    {u"<Music Index=\"5\"><Music Index=\"6\"/>", u"Music", 1, u"", kError},
    {u"<a></a", u"a", 1, u"", kError},
    {u"<a></a ", u"a", 1, u"", kError},
    {u"<a></", u"a", 1, u"", kError},
    {u"<x a=\"\xD800\"/>", u"x", 0, u"a", u"\xD800"},
    {u"<a>\xD800", u"a", 1, u"", kError},
    {u"<a \xD800", u"a", 1, u"", kError},
    {u"<a\xD800", u"a", 1, u"", kError},
};
// clang-format on

TEST(Reader, HandCountedElementsAndAttributes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(Printable(c.text) + " / " + Printable(c.name) + " / " + Printable(c.attribute));
        EXPECT_EQ(c.n == 0 ? AttributeOf(c.text, c.name, c.attribute) : ElementOf(c.text, c.name, c.n), c.expected);
    }
    EXPECT_EQ(TrimWhite(u" \t\r\n a b \u3000\u00A0\u2028"), u"a b");
    EXPECT_EQ(TrimWhite(u"\u1680x\u205F"), u"x");
    EXPECT_EQ(TrimWhite(u"\u200Bx\b"), u"\u200Bx\b");
    EXPECT_EQ(TrimWhite(u" \t\u3000 "), u"");
    EXPECT_EQ(TrimWhite(std::u16string_view(u"   ", 2)), u"") << "an all-white view ends where it ends";
}

// Every prefix of a small valid list: an element is found exactly when the prefix holds its last
// ">", and nothing else is ever returned.
TEST(Reader, EveryPrefixOfAListFindsExactlyTheCompleteElements) {
    const std::u16string decl = u"<?xml version=\"1.0\" encoding=\"gb18030\"?>";
    const std::u16string first = u"<Music Index=\"100\" Name=\"A\"></Music>";
    const std::u16string second = u"<Music Index=\"101\" Name=\"B\"/>";
    const std::u16string text = decl + u"\r\n<MusicList>\r\n\t" + first + u"\r\n\t" + second + u"\r\n</MusicList>\r\n";
    const size_t firstEnd = text.find(first) + first.size();
    const size_t secondEnd = text.find(second) + second.size();
    for (size_t k = 0; k <= text.size(); ++k) {
        const std::u16string_view prefix = std::u16string_view(text).substr(0, k);
        int32_t position = 0;
        EXPECT_EQ(GetElement(prefix, u"Music", position, 1), k >= firstEnd ? first : kError) << k;
        EXPECT_EQ(position, k >= firstEnd ? static_cast<int32_t>(firstEnd) : 0) << k;
        EXPECT_EQ(GetElement(prefix, u"Music", position, 1), k >= secondEnd ? second : kError) << k;
        EXPECT_EQ(GetAttribute(prefix, u"?xml", 1, u"encoding"), k >= decl.size() ? u"gb18030" : kError) << k;
        EXPECT_EQ(ElementOf(prefix, u"MusicList") != kError, k >= text.rfind(u'>') + 1) << k;
    }
}

std::u16string Repeat(std::u16string_view piece, int times) {
    std::u16string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(Reader, DeepNestsAndLongListsAreReadWhole) {
    // Fixed-width names, so that no end tag begins with another element's close.
    std::u16string open, close;
    for (int level = 0; level < 3000; ++level) {
        std::u16string name = u"n";
        for (int value = level, digit = 0; digit < 4; ++digit, value /= 10)
            name += static_cast<char16_t>(u'0' + value % 10);
        open += u"<" + name + u">";
        close = u"</" + name + u">" + close;
    }
    int32_t position = 0;
    EXPECT_EQ(GetElement(open + close, u"n0000", position, 1), open + close);
    EXPECT_EQ(position, static_cast<int32_t>((open + close).size()));
    EXPECT_EQ(ElementOf(Repeat(u"<a>", 3000) + Repeat(u"</a>", 3000), u"a"), Repeat(u"<a>", 3000) + u"</a></a>");
    // Every <a> fails on the malformed "</ax" and the scan retries inside it; <r> is still found.
    const std::u16string unclosed = u"<r>" + Repeat(u"<a>", 300) + u"</ax</r>";
    EXPECT_EQ(ElementOf(unclosed, u"r"), unclosed);
    EXPECT_EQ(ElementOf(unclosed, u"a"), kError);
    const std::u16string siblings = u"<r>" + Repeat(u"<b>", 20000) + u"</r>";
    EXPECT_EQ(ElementOf(siblings, u"r"), siblings);
    // A full list walked with a carried position: each step ends on its element's last ">".
    std::u16string list = u"<MusicList>\r\n";
    std::vector<int32_t> ends;
    for (int i = 0; i < 65532; ++i) {
        list += (i % 2 ? u"<Music Index=\"" : u"<Music\r\n\tIndex=\"") + Repeat(u"7", 1 + i % 5) + u"\"/>\r\n";
        ends.push_back(static_cast<int32_t>(list.size()) - 2);
    }
    list += u"</MusicList>";
    position = 0;
    for (const int32_t end : ends) {
        ASSERT_NE(GetElement(list, u"Music", position, 1), kError);
        ASSERT_EQ(position, end);
    }
    EXPECT_EQ(GetElement(list, u"Music", position, 1), kError);
}

struct Expected {
    char16_t code;
    int cls;
};

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

TEST(CharClass, BoundariesAndWhatTheClassesDoToNamesAndValues) {
    for (const auto* table : {&kWhiteBoundaries, &kNameBoundaries}) {
        for (const Expected& e : *table) {
            SCOPED_TRACE(Printable(std::u16string(1, e.code)));
            EXPECT_EQ(XmlCharClass(e.code), e.cls);
            if (e.code == u'/') continue;  // "/" closes the tag instead
            // "<x" c opens the attribute list only when c is white space.
            EXPECT_EQ(AttributeOf(u"<x" + std::u16string(1, e.code) + u"a=\"1\"/>", u"x", u"a"),
                      e.cls == kWhiteChar ? u"1" : kError);
            // "<a" c "b></a" c "b>" is one element exactly when c is a name character.
            const std::u16string text =
                u"<a" + std::u16string(1, e.code) + u"b></a" + std::u16string(1, e.code) + u"b>";
            const ElementSpan span = SkipElement(text, 1, kInfinity);
            EXPECT_EQ(span.Found(), e.cls == kNameChar);
            EXPECT_TRUE(e.cls != kNameChar || span.After == static_cast<int32_t>(text.size()) + 1);
        }
    }
    // The Ogham space mark is white although it lies in a name range; combining marks, hyphen,
    // full stop, middle dot and markup are no name characters.
    EXPECT_EQ(XmlCharClass(0x1680), kWhiteChar);
    EXPECT_EQ(XmlCharClass(0x167F) + XmlCharClass(0x1681), 2 * kNameChar);
    for (char16_t c = 0x300; c <= 0x36F; ++c) EXPECT_EQ(XmlCharClass(c), kOtherChar) << int(c);
    for (char16_t c : std::u16string(u"-.\u00B7\u203F\u2040<>/?!=\"'&;#[]"))
        EXPECT_EQ(XmlCharClass(c), kOtherChar) << int(c);
}

}  // namespace
}  // namespace tavrin::xml
