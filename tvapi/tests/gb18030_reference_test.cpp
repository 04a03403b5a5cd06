// The built-in GB18030 table against glibc's iconv, over all of Unicode in both directions.
//
// The table follows GB18030-2000 as Python's codec implements it, because that edition agrees
// with code page 936 wherever the code page has a character: the code page maps its unassigned
// and user-defined cells to the same private-use code points. glibc (2.36 here) follows the later
// editions in 25 places, listed below with the reason for each; everywhere else the two must agree
// exactly.
#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "names.h"

namespace {

// A two-byte code that maps to a private-use code point in GB18030-2000 and code page 936, but to
// a standard character in glibc.
struct KnownDifference {
    uint16_t code;
    char32_t privateUse;  // ours, and code page 936's
    char32_t standard;    // glibc's
};

// clang-format off
const KnownDifference kKnownDifferences[] = {
    // GB18030-2005 swapped A8BC and 0x8135F437: ḿ moved from its four-byte code to A8BC and the
    // private-use U+E7C7 took the four-byte code. Code page 936 has A8BC as U+E7C7.
    {0xA8BC, 0xE7C7, 0x1E3F},
    // GB18030-2022 gave ten cells of row A6 to the vertical forms U+FE10..U+FE19 (which already
    // had four-byte codes); code page 936 has them as U+E78D..U+E796.
    {0xA6D9, 0xE78D, 0xFE10}, {0xA6DA, 0xE78E, 0xFE12}, {0xA6DB, 0xE78F, 0xFE11}, {0xA6DC, 0xE790, 0xFE13},
    {0xA6DD, 0xE791, 0xFE14}, {0xA6DE, 0xE792, 0xFE15}, {0xA6DF, 0xE793, 0xFE16}, {0xA6EC, 0xE794, 0xFE17},
    {0xA6ED, 0xE795, 0xFE18}, {0xA6F3, 0xE796, 0xFE19},
    // GB18030-2022 gave fourteen cells of row FE to the ideographs they stood for (eight in the
    // BMP that had four-byte codes, six in plane 2); code page 936 has them as private-use.
    {0xFE51, 0xE816, 0x20087}, {0xFE52, 0xE817, 0x20089}, {0xFE53, 0xE818, 0x200CC}, {0xFE59, 0xE81E, 0x9FB4},
    {0xFE61, 0xE826, 0x9FB5}, {0xFE66, 0xE82B, 0x9FB6}, {0xFE67, 0xE82C, 0x9FB7}, {0xFE6C, 0xE831, 0x215D7},
    {0xFE6D, 0xE832, 0x9FB8}, {0xFE76, 0xE83B, 0x2298F}, {0xFE7E, 0xE843, 0x9FB9}, {0xFE90, 0xE854, 0x9FBA},
    {0xFE91, 0xE855, 0x241FE}, {0xFEA0, 0xE864, 0x9FBB},
};
// clang-format on

// All of in converted, or nothing when iconv refuses it.
std::optional<std::string> Convert(iconv_t cd, const std::string& in) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char inBuf[16], outBuf[32];
    char *ip = inBuf, *op = outBuf;
    size_t il = in.copy(inBuf, sizeof inBuf), ol = sizeof outBuf;
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0) return std::nullopt;
    if (iconv(cd, nullptr, nullptr, &op, &ol) == size_t(-1)) return std::nullopt;
    return std::string(outBuf, static_cast<size_t>(op - outBuf));
}

std::string Utf32(char32_t cp) { return std::string(reinterpret_cast<const char*>(&cp), 4); }  // little-endian here
std::string TwoByte(uint16_t code) { return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}; }

std::optional<std::string> Ours(char32_t cp) {
    uint8_t out[4];
    const int n = tvapi::names::EncodeCodePoint(cp, out);
    return n == 0 ? std::nullopt : std::optional(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)));
}

std::optional<char32_t> OursDecoded(const std::string& code) {
    char32_t cp = 0;
    const int n = tvapi::names::DecodeCodePoint(reinterpret_cast<const uint8_t*>(code.data()), code.size(), cp);
    return n == static_cast<int>(code.size()) ? std::optional(cp) : std::nullopt;
}

// The four-byte code of a linear index: 0x81308130 is 0.
std::string FourByte(uint32_t linear) {
    return {static_cast<char>(0x81 + linear / 12600), static_cast<char>(0x30 + linear / 1260 % 10),
            static_cast<char>(0x81 + linear / 10 % 126), static_cast<char>(0x30 + linear % 10)};
}

TEST(Gb18030Reference, EncodesAllOfUnicodeLikeGlibcApartFromTheKnownDifferences) {
    const std::unique_ptr<void, int (*)(iconv_t)> toGb(iconv_open("GB18030", "UTF-32LE"), iconv_close);
    ASSERT_NE(toGb.get(), iconv_t(-1)) << "glibc's GB18030 converter is missing";
    std::map<char32_t, const KnownDifference*> byPrivateUse, byStandard;
    for (const auto& d : kKnownDifferences) {
        byPrivateUse[d.privateUse] = &d;
        byStandard[d.standard] = &d;
    }
    long long compared = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            ASSERT_FALSE(Ours(cp)) << "surrogate U+" << std::hex << static_cast<uint32_t>(cp);
            continue;
        }
        const std::optional<std::string> ours = Ours(cp);
        ASSERT_TRUE(ours) << "U+" << std::hex << static_cast<uint32_t>(cp);
        const std::optional<std::string> ref = Convert(toGb.get(), Utf32(cp));
        if (const auto it = byPrivateUse.find(cp); it != byPrivateUse.end()) {
            // Ours: the two-byte cell, as code page 936. glibc: none, except U+E7C7's four-byte code.
            EXPECT_EQ(*ours, TwoByte(it->second->code)) << std::hex << static_cast<uint32_t>(cp);
            if (cp == 0xE7C7) {
                EXPECT_EQ(ref, std::optional<std::string>("\x81\x35\xF4\x37"));
            } else {
                EXPECT_FALSE(ref) << std::hex << static_cast<uint32_t>(cp);
            }
            continue;
        }
        if (const auto it = byStandard.find(cp); it != byStandard.end()) {
            // Ours: a four-byte code; glibc: the two-byte cell.
            EXPECT_EQ(ours->size(), 4u) << std::hex << static_cast<uint32_t>(cp);
            EXPECT_EQ(ref, std::optional<std::string>(TwoByte(it->second->code)))
                << std::hex << static_cast<uint32_t>(cp);
            continue;
        }
        ASSERT_TRUE(ref) << "glibc cannot encode U+" << std::hex << static_cast<uint32_t>(cp);
        ASSERT_EQ(*ours, *ref) << "U+" << std::hex << static_cast<uint32_t>(cp);
        ++compared;
    }
    EXPECT_EQ(compared, 0x110000 - 0x800 - 2 * static_cast<long long>(std::size(kKnownDifferences)));
}

TEST(Gb18030Reference, DecodesEveryCodeLikeGlibcApartFromTheKnownDifferences) {
    const std::unique_ptr<void, int (*)(iconv_t)> fromGb(iconv_open("UTF-32LE", "GB18030"), iconv_close);
    ASSERT_NE(fromGb.get(), iconv_t(-1));
    std::map<std::string, const KnownDifference*> byCode;
    std::map<std::string, char32_t> fourByteOfStandard;  // the four-byte codes glibc refuses or moves
    for (const auto& d : kKnownDifferences) {
        byCode[TwoByte(d.code)] = &d;
        if (d.standard < 0x10000) fourByteOfStandard[*Ours(d.standard)] = d.standard;
    }
    auto check = [&](const std::string& code) {
        const std::optional<char32_t> ours = OursDecoded(code);
        const std::optional<std::string> ref = Convert(fromGb.get(), code);
        if (const auto it = byCode.find(code); it != byCode.end()) {
            EXPECT_EQ(ours, std::optional<char32_t>(it->second->privateUse)) << testing::PrintToString(code);
            EXPECT_EQ(ref, std::optional<std::string>(Utf32(it->second->standard))) << testing::PrintToString(code);
            return;
        }
        if (const auto it = fourByteOfStandard.find(code); it != fourByteOfStandard.end()) {
            EXPECT_EQ(ours, std::optional<char32_t>(it->second)) << testing::PrintToString(code);
            // glibc: ḿ's old code now stands for U+E7C7; the others are no longer used.
            if (it->second == 0x1E3F) {
                EXPECT_EQ(ref, std::optional<std::string>(Utf32(0xE7C7)));
            } else {
                EXPECT_FALSE(ref) << testing::PrintToString(code);
            }
            return;
        }
        ASSERT_EQ(ours ? std::optional(Utf32(*ours)) : std::nullopt, ref) << testing::PrintToString(code);
    };
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            check(TwoByte(static_cast<uint16_t>(lead << 8 | trail)));
        }
    }
    // Four-byte codes: the whole BMP area, past its end, the gap up to the supplementary area and
    // all of it, and past its end.
    for (uint32_t linear = 0; linear < 39420 + 100; ++linear) check(FourByte(linear));
    for (uint32_t linear = 39420; linear < 189000; linear += 97) check(FourByte(linear));
    for (uint32_t linear = 189000 - 10; linear < 189000 + 0x100000 + 100; ++linear) check(FourByte(linear));
    // Single bytes.
    for (int b = 0; b < 0x100; ++b) {
        if (b >= 0x81 && b <= 0xFE) continue;
        check(std::string(1, static_cast<char>(b)));
    }
}

}  // namespace
