#include "tavrin/genpak_records.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(PakEntry, LaysOutTheFieldsLittleEndianWithTheNameAndANul) {
    std::vector<uint8_t> out = {0xAA};
    AppendPakEntry(out, "F/a", tvapi::genpak::kLzss, 0x01020304, 0x7FFFFFFF, 5);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xAA, 3, 1, 4, 3, 2, 1, 0xFF, 0xFF, 0xFF, 0x7F, 5, 0, 0, 0, 'F', '/', 'a', 0}));
    out.clear();
    AppendPakEntry(out, std::string(255, 'n'), tvapi::genpak::kFolder, 0, 0, 0);
    EXPECT_EQ(out.size(), 15u + 255u);
    EXPECT_EQ(out[0], 255);  // the longest name still fits its length byte
}

TEST(PakEntry, TrailerLocatesTheDirectoryAndEndsWithTheTag) {
    std::vector<uint8_t> out;
    AppendPakTrailer(out, 8, -1);
    EXPECT_EQ(out, (std::vector<uint8_t>{8, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x12}));
    EXPECT_EQ(out.size(), tvapi::genpak::kTrailerSize);
}

}  // namespace
}  // namespace tavrin
