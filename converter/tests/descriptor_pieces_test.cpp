// The compressor's buffer for a descriptor member: 9/8 of the data rounded half to even, plus one,
// holds the whole stream of incompressible data.
#include <gtest/gtest.h>

#include <tvapi.h>

#include <random>

#include "save_tvn.h"

namespace tavrin {
namespace {

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
