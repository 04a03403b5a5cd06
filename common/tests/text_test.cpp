#include "tavrin/text.h"

#include <gtest/gtest.h>

#include "tavrin/numbered_error.h"

namespace tavrin {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TrimAtNul, CutsAtTheFirstNul) {
    EXPECT_EQ(TrimAtNul(std::wstring(L"abc\0def", 7)), L"abc");
    EXPECT_EQ(TrimAtNul(L"abc"), L"abc");
    EXPECT_EQ(TrimAtNul(std::wstring(L"\0abc", 4)), L"");
}

TEST(StringFromPtr, CopiesUpToTheNulAndToleratesNull) {
    const wchar_t text[] = L"歌曲 x";
    EXPECT_EQ(StringFromPtr(text), L"歌曲 x");
    EXPECT_EQ(StringFromPtr(L""), L"");
    EXPECT_EQ(StringFromPtr(nullptr), L"");
}

TEST(StringFromBytes, StopsAtTheFirstAlignedNulPair) {
    EXPECT_EQ(StringFromBytes({0x61, 0, 0x62, 0, 0, 0, 0x63, 0}), L"ab");
    EXPECT_EQ(StringFromBytes({0x61, 0, 0x62, 0}), L"ab");
    EXPECT_EQ(StringFromBytes({0, 0}), L"");
    // A NUL pair must start at an even index: 00 61 00 00 is U+6100 then the end.
    EXPECT_EQ(StringFromBytes({0x00, 0x61, 0x00, 0x00}), L"\x6100");
    EXPECT_EQ(StringFromBytes({0x4C, 0x6B, 0, 0, 0x61}), L"歌");  // odd, but the NUL comes first
}

TEST(StringFromBytes, OddCountWithoutNulPairIsOutOfRange) {
    try {
        StringFromBytes({0x61, 0, 0x62});
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.Number(), kErrSubscript);
    }
}

TEST(PeekWord, ReadsUnsignedLittleEndian) {
    const uint8_t a[] = {0x34, 0x12}, b[] = {0xFF, 0xFF}, c[] = {0x00, 0x80};
    EXPECT_EQ(PeekWord(a), 0x1234);
    EXPECT_EQ(PeekWord(b), 65535);
    EXPECT_EQ(PeekWord(c), 32768);
}

TEST(Utf8Bytes, EncodesWithoutNulAndRefusesEmptyText) {
    EXPECT_EQ(Utf8Bytes(L"GENPAK"), (Bytes{0x47, 0x45, 0x4E, 0x50, 0x41, 0x4B}));
    EXPECT_EQ(Utf8Bytes(L"\x6B4C"), (Bytes{0xE6, 0xAD, 0x8C}));
    EXPECT_EQ(Utf8Bytes(L"\xD83C\xDFB5"), (Bytes{0xF0, 0x9F, 0x8E, 0xB5}));  // a pair: one 4-byte code
    try {
        Utf8Bytes(L"");
        FAIL() << "no error";
    } catch (const NumberedError& e) {
        EXPECT_EQ(e.Number(), kErrSubscript);
    }
}

TEST(Utf16Bridge, RoundTripsUnitsUnchanged) {
    std::wstring w = L"a\xD800z歌";  // even a lone surrogate passes unit for unit
    EXPECT_EQ(FromU16(ToU16(w)), w);
    EXPECT_EQ(ToU16(L"x歌"), u"x歌");
}

}  // namespace
}  // namespace tavrin
