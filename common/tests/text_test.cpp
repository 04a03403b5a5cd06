#include "tavrin/text.h"

#include <gtest/gtest.h>

#include "tavrin/numbered_error.h"

namespace tavrin {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(StringFromPtr, CopiesUpToTheNulAndToleratesNull) {
    const wchar_t text[] = L"歌曲 x";
    EXPECT_EQ(StringFromPtr(text), L"歌曲 x");
    EXPECT_EQ(StringFromPtr(L""), L"");
    EXPECT_EQ(StringFromPtr(nullptr), L"");
}

TEST(Utf16Bridge, RoundTripsUnitsUnchanged) {
    std::wstring w = L"a\xD800z歌";  // even a lone surrogate passes unit for unit
    EXPECT_EQ(FromU16(ToU16(w)), w);
    EXPECT_EQ(ToU16(L"x歌"), u"x歌");
}

}  // namespace
}  // namespace tavrin
