// The pieces of a descriptor that need no files: base names, the stored-names table and the
// compressor's buffer.
#include <gtest/gtest.h>

#include <tvapi.h>

#include <random>

#include "save_tvn.h"

namespace tavrin {
namespace {

TEST(StoredNames, BaseNamesCompareExactlyWithinOneDescriptorUpTo100Slots) {
    EXPECT_EQ(BaseName(u"zal_image/a.png") + BaseName(u"b.png") + BaseName(u"dir/") + BaseName(u"c\\d"),
              u"a.pngb.pngc\\d");
    StoredNames names;
    names.Start();
    EXPECT_TRUE(names.Contains(u""));  // an empty image path counts as stored
    ASSERT_TRUE(names.Store(u"Cover.png"));
    EXPECT_TRUE(names.Contains(u"Cover.png") && !names.Contains(u"cover.png") && !names.Contains(u"Cover.png "));
    names.Start();
    EXPECT_FALSE(names.Contains(u"Cover.png"));
    for (int k = 1; k <= 100; ++k) ASSERT_TRUE(names.Store(u"f" + std::u16string(1, static_cast<char16_t>(k)))) << k;
    EXPECT_FALSE(names.Store(u"one too many"));
    names.AddText();  // a text entry needs no slot
    EXPECT_EQ(names.EntryCount(), 102);
    EXPECT_TRUE(names.Contains(u"f\x0064") && !names.Contains(u"one too many"));
}

TEST(PackBuffer, IsNineEighthsRoundedHalfToEvenPlusOneAndHoldsWholeStreams) {
    // 1.125 -> 1, 4.5 -> 4, 7.875 -> 8, 13.5 -> 14, 22.5 -> 22, 2415919103.875 -> ...104
    for (const auto& [n, size] :
         {std::pair<uint32_t, uint32_t>{0, 1}, {1, 2}, {4, 5}, {7, 9}, {12, 15}, {20, 23}, {2147483647u, 2415919104u}})
        EXPECT_EQ(PackBufferSize(n), size) << n;
    std::mt19937 random(77);
    for (uint32_t n : {1u, 2u, 3u, 4u, 7u, 8u, 9u, 12u, 15u, 16u, 17u, 100u, 4093u, 65536u, 100003u}) {
        std::vector<uint8_t> source(n);
        for (uint8_t& b : source) b = static_cast<uint8_t>(random());
        // Random bytes do not shrink: the whole stream fits exactly the buffer, canaries after it.
        std::vector<uint8_t> buffer(PackBufferSize(n) + 16, 0xC5);
        uint32_t packed = 0;
        ASSERT_EQ(LzssCompress2(source.data(), n, buffer.data(), &packed, TVAPI_LEVEL_DEFAULT), 1);
        EXPECT_TRUE(packed >= n && packed <= PackBufferSize(n)) << n;
        for (size_t k = PackBufferSize(n); k < buffer.size(); ++k) ASSERT_EQ(buffer[k], 0xC5) << n;
    }
}

}  // namespace
}  // namespace tavrin
