// Name conversion through the C interface and the internal codec: capacity, surrogates, the
// standard's fixed points and strict decoding. The whole table is checked against glibc in
// gb18030_reference_test.cpp.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "names.h"
#include "tvapi.h"

namespace {

using TvString = std::basic_string<TVCHAR>;

TvString Tv(std::u16string_view s) { return TvString(s.begin(), s.end()); }

uint32_t Code() { return cpMakeTrCode(TVAPI_CP_UTF16, TVAPI_CP_GB18030); }

std::string Hex(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s;
    for (const char c : bytes) {
        s += kHex[static_cast<uint8_t>(c) >> 4];
        s += kHex[static_cast<uint8_t>(c) & 15];
    }
    return s;
}

// Converts with the given capacity into a buffer with canary bytes behind it; checks the canary.
struct Converted {
    int32_t result;
    std::string bytes;  // up to the NUL when result > 0
};
Converted Convert(const TvString& text, int32_t capacity, int32_t length = -1) {
    std::string buffer(static_cast<size_t>(capacity) + 16, '\xA5');
    const int32_t result = cpConvertEncoding(Code(), text.c_str(), length, buffer.data(), capacity);
    for (size_t i = static_cast<size_t>(capacity); i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], '\xA5') << "byte written past capacity at " << i;
    }
    Converted c{result, {}};
    if (result > 0) {
        EXPECT_EQ(buffer[static_cast<size_t>(result) - 1], '\0');
        c.bytes = buffer.substr(0, static_cast<size_t>(result) - 1);
    }
    return c;
}

TEST(NameCode, OnlyUtf16ToGb18030HasACode) {
    EXPECT_NE(cpMakeTrCode(2, 256), 0u);
    EXPECT_EQ(cpMakeTrCode(256, 2), 0u);
    EXPECT_EQ(cpMakeTrCode(2, 2), 0u);
    EXPECT_EQ(cpMakeTrCode(0, 0), 0u);
    EXPECT_EQ(cpMakeTrCode(1, 256), 0u);
    EXPECT_EQ(cpMakeTrCode(2, 257), 0u);
    EXPECT_EQ(cpMakeTrCode(2, 256), cpMakeTrCode(2, 256)) << "asked for again before every conversion";
}

TEST(NameConversion, RejectsAnUnknownCodeAndBadArguments) {
    const TvString text = Tv(u"abc");
    char out[16];
    EXPECT_EQ(cpConvertEncoding(0, text.c_str(), -1, out, 16), 0);
    EXPECT_EQ(cpConvertEncoding(Code() + 1, text.c_str(), -1, out, 16), 0);
    EXPECT_EQ(cpConvertEncoding(Code(), nullptr, -1, out, 16), 0);
    EXPECT_EQ(cpConvertEncoding(Code(), text.c_str(), -1, nullptr, 16), 0);
    EXPECT_EQ(cpConvertEncoding(Code(), text.c_str(), -1, out, 0), 0);
    EXPECT_EQ(cpConvertEncoding(Code(), text.c_str(), -1, out, -5), 0);
    EXPECT_EQ(cpConvertEncoding(Code(), text.c_str(), -2, out, 16), 0);
}

TEST(NameConversion, EmptyTextGivesJustTheNul) {
    const Converted c = Convert(Tv(u""), 255);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.bytes, "");
    EXPECT_EQ(Convert(Tv(u"abc"), 255, 0).result, 1) << "length 0 is an empty text";
    EXPECT_EQ(Convert(Tv(u""), 1).result, 1) << "the NUL alone fits one byte";
}

TEST(NameConversion, AsciiAndChineseNamesKeepTheirCodePage936Bytes) {
    EXPECT_EQ(Convert(Tv(u"MySong/a.ogg"), 255).bytes, "MySong/a.ogg");
    // 歌曲 in GB 2312 / code page 936: B8E8 C7FA.
    const Converted c = Convert(Tv(u"\u6B4C\u66F2/1.txt"), 255);
    EXPECT_EQ(c.result, 11);
    EXPECT_EQ(Hex(c.bytes), "B8E8C7FA2F312E747874");
}

TEST(NameConversion, ExplicitLengthStopsBeforeTheNul) {
    const Converted c = Convert(Tv(u"abcdef"), 255, 3);
    EXPECT_EQ(c.result, 4);
    EXPECT_EQ(c.bytes, "abc");
}

TEST(NameConversion, FillsExactlyTheCapacityAndNotOneByteMore) {
    // The programs pass 255: 254 bytes plus the NUL is the longest name.
    const std::u16string fits(254, u'x');
    EXPECT_EQ(Convert(Tv(fits), 255).result, 255);
    EXPECT_EQ(Convert(Tv(fits + u"x"), 255).result, 0);
    // Two-byte characters: 127 of them fill 254 bytes; one more does not fit.
    const std::u16string wide(127, u'\u6B4C');
    EXPECT_EQ(Convert(Tv(wide), 255).result, 255);
    EXPECT_EQ(Convert(Tv(wide + u"a"), 255).result, 0);
    // A four-byte character is never cut: 252 bytes used, the next 4 would need 257 with the NUL.
    std::u16string four;
    for (int i = 0; i < 63; ++i) four += u"\U0001F600";
    EXPECT_EQ(Convert(Tv(four), 255).result, 253);
    EXPECT_EQ(Convert(Tv(four + u"ab"), 255).result, 255);
    EXPECT_EQ(Convert(Tv(four + u"abc"), 255).result, 0);
    EXPECT_EQ(Convert(Tv(four + u"\U0001F600"), 255).result, 0);
    // Small capacities.
    EXPECT_EQ(Convert(Tv(u"a"), 2).result, 2);
    EXPECT_EQ(Convert(Tv(u"ab"), 2).result, 0);
    EXPECT_EQ(Convert(Tv(u"\u6B4C"), 2).result, 0);
}

TEST(NameConversion, FailureLeavesAnEmptyStringNotAPrefix) {
    std::string buffer(8, 'z');
    const TvString text = Tv(u"abcdefghij");
    EXPECT_EQ(cpConvertEncoding(Code(), text.c_str(), -1, buffer.data(), 8), 0);
    EXPECT_EQ(buffer[0], '\0');
}

TEST(NameConversion, RejectsUnpairedSurrogates) {
    EXPECT_EQ(Convert(Tv(u"a\xD800"), 255).result, 0) << "high surrogate before the NUL";
    EXPECT_EQ(Convert(Tv(u"a\xD800"
                         u"b"),
                      255)
                  .result,
              0)
        << "high surrogate before a plain unit";
    EXPECT_EQ(Convert(Tv(u"a\xDC00"
                         u"b"),
                      255)
                  .result,
              0)
        << "low surrogate alone";
    EXPECT_EQ(Convert(Tv(u"\xDC00\xD800"), 255).result, 0) << "pair in the wrong order";
    EXPECT_EQ(Convert(Tv(u"\U0001F600"), 255, 1).result, 0) << "length ends inside a pair";
    EXPECT_EQ(Convert(Tv(u"\U0001F600"), 255, 2).result, 5) << "the whole pair";
}

TEST(NameConversion, StandardFixedPointsOfTheFourByteArea) {
    // Range boundaries fixed by GB 18030 itself.
    struct Case {
        char32_t cp;
        const char* hex;
    } const cases[] = {
        {0x0080, "81308130"}, {0xFFFF, "8431A439"}, {0x10000, "90308130"}, {0x10FFFF, "E3329A35"}, {0x00A5, "81308436"},
    };
    for (const auto& c : cases) {
        uint8_t out[4] = {};
        const int n = tvapi::names::EncodeCodePoint(c.cp, out);
        EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n))), c.hex)
            << "U+" << std::hex << static_cast<uint32_t>(c.cp);
    }
}

TEST(NameDecoding, RoundTripsRandomTextOfAllPlanes) {
    const uint32_t seed = 20240601;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        const int len = static_cast<int>(rng() % 40);
        for (int i = 0; i < len; ++i) {
            char32_t cp;
            switch (rng() % 4) {
                case 0:
                    cp = rng() % 0x80;
                    break;
                case 1:
                    cp = 0x4E00 + rng() % 0x5200;
                    break;
                case 2:
                    cp = 0x10000 + rng() % 0x100000;
                    break;
                default:
                    cp = 0x80 + rng() % (0x10000 - 0x80);
                    break;
            }
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
            if (cp >= 0x10000) {
                text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                text += static_cast<char16_t>(cp);
            }
        }
        std::string bytes;
        ASSERT_TRUE(tvapi::names::ToGb18030(text, bytes));
        std::u16string back;
        ASSERT_TRUE(tvapi::names::FromGb18030(bytes, back)) << Hex(bytes);
        ASSERT_EQ(back, text);
    }
}

TEST(NameDecoding, RejectsMalformedAndUnassignedBytes) {
    const char* const bad[] = {
        "\x80",              // not a lead byte (code page 936's euro sign; GB18030 has it at A2E3)
        "\xFF",              // not a lead byte
        "\x81",              // lead byte at the end
        "\x81\x7F",          // 0x7F is no trail byte
        "\x81\xFF",          // neither is 0xFF
        "\x81\x30",          // four-byte code cut short
        "\x81\x30\x81",      // still short
        "\x81\x30\x20\x30",  // third byte not a lead byte
        "\x81\x30\x81\x41",  // fourth byte not a digit
        "\x84\x31\xA5\x30",  // just past U+FFFF
        "\x85\x30\x81\x30",  // between the BMP and the supplementary area
        "\xE3\x32\x9A\x36",  // just past U+10FFFF
        "\xFE\x39\xFE\x39",  // the last four-byte code
    };
    for (const char* b : bad) {
        std::u16string out;
        EXPECT_FALSE(tvapi::names::FromGb18030(b, out)) << Hex(b);
    }
    std::u16string out;
    EXPECT_FALSE(tvapi::names::FromGb18030(std::string_view("ok\x81", 3), out)) << "a valid prefix is not enough";
    EXPECT_TRUE(tvapi::names::FromGb18030(std::string_view("a\0b", 3), out)) << "NUL is an ASCII character";
}

TEST(NameFolding, LowersOnlyAsciiLettersOutsideMultiByteCharacters) {
    EXPECT_EQ(tvapi::names::FoldAsciiCase("MySong/A.OGG"), "mysong/a.ogg");
    // 0x81 0x41 is one character whose trail byte happens to be 'A'.
    EXPECT_EQ(tvapi::names::FoldAsciiCase("\x81\x41Z"), "\x81\x41z");
    EXPECT_EQ(tvapi::names::FoldAsciiCase("\x81\x30\x81\x30X"), "\x81\x30\x81\x30x");
    EXPECT_EQ(tvapi::names::FoldAsciiCase("\xB8\xE8Q"), "\xB8\xE8q");
}

}  // namespace
