// The pieces of a descriptor that need no files: base names, the stored-names table, the Music
// text bytes and the compressor's buffer.
#include <gtest/gtest.h>

#include <tvapi.h>

#include <random>

#include "save_tvn.h"

namespace tavrin {
namespace {

std::vector<uint8_t> Utf16Le(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

TEST(StoredNames, BaseNamesCompareExactlyWithinOneDescriptorUpTo100Slots) {
    EXPECT_EQ(BaseName(u"zal_image/img_music/a.png"), u"a.png");
    EXPECT_EQ(BaseName(u"a.png"), u"a.png");
    EXPECT_EQ(BaseName(u"dir/"), u"");
    EXPECT_EQ(BaseName(u"a\\b.png"), u"a\\b.png");  // game paths separate with "/" only
    StoredNames names;
    names.Start();
    EXPECT_EQ(names.EntryCount(), 1);
    EXPECT_TRUE(names.Contains(u""));  // an empty image path counts as stored
    ASSERT_TRUE(names.Store(u"Cover.png"));
    names.AddText();
    EXPECT_EQ(names.EntryCount(), 3);
    EXPECT_TRUE(names.Contains(u"Cover.png"));
    EXPECT_FALSE(names.Contains(u"cover.png"));
    EXPECT_FALSE(names.Contains(u"Cover.png "));
    names.Start();
    EXPECT_FALSE(names.Contains(u"Cover.png"));
    EXPECT_EQ(names.EntryCount(), 1);
    for (int k = 1; k <= 100; ++k) ASSERT_TRUE(names.Store(u"f" + std::u16string(1, static_cast<char16_t>(k)))) << k;
    EXPECT_FALSE(names.Store(u"one too many"));
    EXPECT_EQ(names.EntryCount(), 101);
    names.AddText();  // a text entry needs no slot
    EXPECT_TRUE(names.Contains(u"f\x0064"));
    EXPECT_FALSE(names.Contains(u"one too many"));
}

TEST(DescriptorText, IsOneMusicLineInUtf16LeWithBomAndCrLf) {
    MusicEntry e;
    e.Index = 1234;
    e.Name = u"歌 \"q\" &amp; <x>";
    e.Image = u"Folder/cover.png";
    e.File = u"zal_script/song/s.xml";
    e.Level = 255;
    e.Genre = u"";
    e.Artist = u"\U0001F3B5";
    e.Folder = u"ignored";
    std::vector<uint8_t> expected = {0xFF, 0xFE};
    std::vector<uint8_t> line = Utf16Le(
        u"<Music Index=\"1234\" Name=\"歌 \"q\" &amp; <x>\" Image=\"Folder/cover.png\" "
        u"File=\"zal_script/song/s.xml\" Level=\"255\" Genre=\"\" Artist=\"\U0001F3B5\"/>\r\n");
    expected.insert(expected.end(), line.begin(), line.end());
    EXPECT_EQ(DescriptorText(e), expected);
}

TEST(PackBuffer, IsNineEighthsRoundedHalfToEvenPlusOneAndHoldsWholeStreams) {
    // 1.125 -> 1, 4.5 -> 4, 7.875 -> 8, 9, 13.5 -> 14, 22.5 -> 22, 2415919103.875 -> ...104
    const std::pair<uint32_t, uint32_t> sizes[] = {{0, 1},  {1, 2},   {4, 5},   {7, 9},
                                                   {8, 10}, {12, 15}, {20, 23}, {2147483647u, 2415919104u}};
    for (const auto& [n, size] : sizes) EXPECT_EQ(PackBufferSize(n), size) << n;
    std::mt19937 random(77);
    for (uint32_t n : {1u, 2u, 3u, 4u, 7u, 8u, 9u, 12u, 15u, 16u, 17u, 100u, 4093u, 65536u, 100003u}) {
        std::vector<uint8_t> source(n);
        for (uint8_t& b : source) b = static_cast<uint8_t>(random());
        // Exactly the buffer size, with canaries after it.
        std::vector<uint8_t> buffer(PackBufferSize(n) + 16, 0xC5);
        uint32_t packed = 0;
        ASSERT_EQ(LzssCompress2(source.data(), n, buffer.data(), &packed, TVAPI_LEVEL_DEFAULT), 1);
        EXPECT_LE(packed, PackBufferSize(n)) << "n " << n;
        EXPECT_GE(packed, n) << "random bytes do not shrink; the stream is complete";
        for (size_t k = PackBufferSize(n); k < buffer.size(); ++k) ASSERT_EQ(buffer[k], 0xC5) << "n " << n;
    }
}

}  // namespace
}  // namespace tavrin
