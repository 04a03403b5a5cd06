// The built-in GB18030 table against glibc's iconv, and decoded back, over all of Unicode. The table
// follows GB18030-2000 (as Python's codec does), which agrees with code page 936 wherever the code
// page has a character; glibc (2.36 here) follows later editions in the 25 places listed below.
#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "names.h"

namespace {

// A two-byte code that is private-use in GB18030-2000 and code page 936 (ours), but a standard
// character in glibc, which ours gives a four-byte code.
struct KnownDifference {
    uint16_t code;
    char32_t privateUse, standard;
};

// clang-format off
const KnownDifference kKnownDifferences[] = {
    // GB18030-2005 swapped A8BC (U+E7C7 in code page 936) and ḿ's four-byte code 0x8135F437.
    {0xA8BC, 0xE7C7, 0x1E3F},
    // GB18030-2022 gave ten cells of row A6 to the vertical forms U+FE10..U+FE19, and fourteen
    // cells of row FE to the ideographs they stood for.
    {0xA6D9, 0xE78D, 0xFE10}, {0xA6DA, 0xE78E, 0xFE12}, {0xA6DB, 0xE78F, 0xFE11}, {0xA6DC, 0xE790, 0xFE13},
    {0xA6DD, 0xE791, 0xFE14}, {0xA6DE, 0xE792, 0xFE15}, {0xA6DF, 0xE793, 0xFE16}, {0xA6EC, 0xE794, 0xFE17},
    {0xA6ED, 0xE795, 0xFE18}, {0xA6F3, 0xE796, 0xFE19}, {0xFE51, 0xE816, 0x20087}, {0xFE52, 0xE817, 0x20089},
    {0xFE53, 0xE818, 0x200CC}, {0xFE59, 0xE81E, 0x9FB4}, {0xFE61, 0xE826, 0x9FB5}, {0xFE66, 0xE82B, 0x9FB6},
    {0xFE67, 0xE82C, 0x9FB7}, {0xFE6C, 0xE831, 0x215D7}, {0xFE6D, 0xE832, 0x9FB8}, {0xFE76, 0xE83B, 0x2298F},
    {0xFE7E, 0xE843, 0x9FB9}, {0xFE90, 0xE854, 0x9FBA}, {0xFE91, 0xE855, 0x241FE}, {0xFEA0, 0xE864, 0x9FBB}};
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

// Decoding is checked by the round trip of every code point: the invalid codes are in tvapi_tests.
TEST(Gb18030Reference, EncodesLikeGlibcApartFromTheKnownDifferencesAndDecodesBack) {
    const std::unique_ptr<void, int (*)(iconv_t)> toGb(iconv_open("GB18030", "UTF-32LE"), iconv_close);
    ASSERT_NE(toGb.get(), iconv_t(-1)) << "glibc's GB18030 converter is missing";
    std::map<char32_t, uint16_t> privateUse;
    std::set<char32_t> standard;
    for (const auto& d : kKnownDifferences) privateUse[d.privateUse] = d.code, standard.insert(d.standard);
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        uint8_t out[4];
        char32_t back = 0;
        const int n = tvapi::names::EncodeCodePoint(cp, out);
        ASSERT_EQ(n != 0, cp < 0xD800 || cp > 0xDFFF) << std::hex << static_cast<uint32_t>(cp);
        if (n == 0) continue;
        ASSERT_EQ(tvapi::names::DecodeCodePoint(out, static_cast<size_t>(n), back), n) << std::hex << uint32_t(cp);
        ASSERT_EQ(back, cp);
        if (standard.count(cp)) continue;
        const auto it = privateUse.find(cp);
        const auto expected = it == privateUse.end() ? Convert(toGb.get(), std::string(reinterpret_cast<char*>(&cp), 4))
                                                     : std::string{char(it->second >> 8), char(it->second)};
        ASSERT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(n)), expected)
            << std::hex << static_cast<uint32_t>(cp);
    }
}

}  // namespace
