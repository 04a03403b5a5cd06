// Name conversion through the C interface and the internal codec: capacity, surrogates, the
// standard's fixed points and strict decoding. The table itself is checked against glibc and
// code page 936 elsewhere.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "names.h"
#include "tvapi.h"

namespace {

TEST(Names, ConversionResultsCapacityAndFailures) {
    const uint32_t code = cpMakeTrCode(TVAPI_CP_UTF16, TVAPI_CP_GB18030);
    std::u16string four;  // 63 four-byte characters: 252 bytes
    for (int i = 0; i < 63; ++i) four += u"\U0001F600";
    const struct {
        std::u16string text;
        int32_t length, capacity, result;
        const char* bytes;  // before the NUL when result > 0
        // clang-format off
    } cases[] = {
        {u"", -1, 255, 1, ""}, {u"abc", 0, 255, 1, ""}, {u"", -1, 1, 1, ""},
        {u"Ab/a.ogg", -1, 255, 9, "Ab/a.ogg"},
        {u"\u6B4C\u66F2/1", -1, 255, 7, "\xB8\xE8\xC7\xFA/1"},  // code page 936's bytes
        {u"abcdef", 3, 255, 4, "abc"}, {std::u16string(254, u'x'), -1, 255, 255, nullptr},
        {std::u16string(255, u'x'), -1, 255, 0, nullptr}, {std::u16string(127, u'\u6B4C'), -1, 255, 255, nullptr},
        {std::u16string(127, u'\u6B4C') + u"a", -1, 255, 0, nullptr}, {four, -1, 255, 253, nullptr},
        {four + u"ab", -1, 255, 255, nullptr}, {four + u"abc", -1, 255, 0, nullptr},
        {four + u"\U0001F600", -1, 255, 0, nullptr},  // never cut inside a character
        {u"a", -1, 2, 2, "a"}, {u"ab", -1, 2, 0, nullptr}, {u"\u6B4C", -1, 2, 0, nullptr},
        {u"abcdefghij", -1, 8, 0, nullptr}, {u"a\xD800", -1, 255, 0, nullptr}, {u"a\xD800z", -1, 255, 0, nullptr},
        {u"a\xDC00z", -1, 255, 0, nullptr}, {u"\xDC00\xD800", -1, 255, 0, nullptr},
        {u"\U0001F600", 1, 255, 0, nullptr},  // length ends inside a pair
        {u"\U0001F600", 2, 255, 5, "\x94\x39\xFC\x36"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const std::basic_string<TVCHAR> text(c.text.begin(), c.text.end());
        std::string buffer(static_cast<size_t>(c.capacity) + 16, '\xA5');
        ASSERT_EQ(cpConvertEncoding(code, text.c_str(), c.length, buffer.data(), c.capacity), c.result);
        for (size_t i = static_cast<size_t>(c.capacity); i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '\xA5') << i;
        // A failure leaves an empty string, not a prefix; a result counts the NUL.
        EXPECT_EQ(buffer[c.result == 0 ? 0 : static_cast<size_t>(c.result) - 1], '\0');
        if (c.bytes != nullptr) EXPECT_EQ(buffer.substr(0, static_cast<size_t>(c.result) - 1), c.bytes);
    }
    // Only UTF-16 to GB18030 has a code; an unknown code and bad arguments.
    for (const auto& [from, to] : {std::pair<uint16_t, uint16_t>{256, 2}, {2, 2}, {0, 0}, {1, 256}, {2, 257}})
        EXPECT_EQ(cpMakeTrCode(from, to), 0u) << from << " " << to;
    const std::basic_string<TVCHAR> abc = {'a', 'b', 'c'};
    char out[16];
    // clang-format off
    for (const auto& [c, text, length, buffer, capacity] :
         {std::tuple{0u, abc.c_str(), -1, out, 16}, {code + 1, abc.c_str(), -1, out, 16}, {code, nullptr, -1, out, 16},
          {code, abc.c_str(), -1, nullptr, 16}, {code, abc.c_str(), -1, out, 0}, {code, abc.c_str(), -1, out, -5},
          {code, abc.c_str(), -2, out, 16}})
        // clang-format on
        EXPECT_EQ(cpConvertEncoding(c, text, length, buffer, capacity), 0) << c << " " << length << " " << capacity;
}

TEST(Names, FixedPointsStrictDecodingAndFolding) {
    // Range boundaries fixed by GB 18030 itself, through the string codec both ways.
    const std::u16string text = u"\u0080\uFFFF\U00010000\U0010FFFF\u00A5a\u6B4C";
    std::string bytes;
    ASSERT_TRUE(tvapi::names::ToGb18030(text, bytes));
    EXPECT_EQ(bytes,
              "\x81\x30\x81\x30\x84\x31\xA4\x39\x90\x30\x81\x30\xE3\x32\x9A\x35\x81\x30\x84\x36"
              "a\xB8\xE8");
    std::u16string back;
    ASSERT_TRUE(tvapi::names::FromGb18030(bytes, back));
    EXPECT_EQ(back, text);
    for (const std::u16string bad : {u"\xD800z", u"z\xDC00", u"\xD800"})
        EXPECT_FALSE(tvapi::names::ToGb18030(bad, bytes));
    // Code page 936's euro sign (GB18030 has it at A2E3), no lead byte, a lead byte at the end, no
    // trail byte (0x7F, 0xFF), a four-byte code cut short or with a bad third or fourth byte, just
    // past U+FFFF, between the BMP and the supplementary area, past U+10FFFF, after a valid prefix.
    // clang-format off
    const char* const bad[] = {"\x80", "\xFF", "\x81", "\x81\x7F", "\x81\xFF", "\x81\x30\x81", "\x81\x30\x20\x30",
                               "\x81\x30\x81\x41", "\x84\x31\xA5\x30", "\x85\x30\x81\x30", "\xE3\x32\x9A\x36", "ok\x81"};
    // clang-format on
    for (const char* b : bad) EXPECT_FALSE(tvapi::names::FromGb18030(b, back)) << b;
    EXPECT_TRUE(tvapi::names::FromGb18030(std::string_view("a\0b", 3), back)) << "NUL is an ASCII character";
    // Only ASCII letters outside multi-byte characters fold: 0x81 0x41 is one character.
    EXPECT_EQ(tvapi::names::FoldAsciiCase("MySong/A.OGG\x81\x41Z\x81\x30\x81\x30X\xB8\xE8Q"),
              "mysong/a.ogg\x81\x41z\x81\x30\x81\x30x\xB8\xE8q");
}

}  // namespace
