// The compressors' exports: argument checks, levels, and that their output is what the archive
// reader expands for methods 1 and 3, whole even when it does not shrink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genpak_reader.h"
#include "test_archives.h"
#include "tvapi.h"

namespace {

TEST(Exports, CompressorsRejectNullPointersAndUnknownLevels) {
    const std::string data = "abcabcabcabc";
    std::vector<uint8_t> out(LzssCompressBound(12));
    for (auto* fn : {LzssCompress2, LzssCompressXor2}) {
        uint32_t packed = 12345;
        EXPECT_EQ(fn(nullptr, 12, out.data(), &packed, 1), 0);
        EXPECT_EQ(fn(data.data(), 12, nullptr, &packed, 1), 0);
        EXPECT_EQ(fn(data.data(), 12, out.data(), nullptr, 1), 0);
        for (int32_t level : {0, -1, TVAPI_LEVEL_BEST + 1})
            EXPECT_EQ(fn(data.data(), 12, out.data(), &packed, level), 0);
        EXPECT_EQ(packed, 12345u) << "nothing reported for a refused call";
        EXPECT_EQ(fn(data.data(), 0, out.data(), &packed, 1), 1);
        EXPECT_EQ(packed, 0u) << "empty input, empty stream";
    }
}

TEST(Exports, BothCompressorsFeedTheReaderAtEveryLevelEvenWhenNothingShrinks) {
    // listsmith stores every member with method 1, so a stream that does not shrink must still be
    // complete: no early stop behind the exports.
    for (const std::string& data : {tvtest::TextLike(30000, 11), tvtest::RandomBytes(5000, 12)}) {
        for (const int32_t level : {TVAPI_LEVEL_DEFAULT, 5, TVAPI_LEVEL_BEST}) {
            for (const bool withXor : {false, true}) {
                SCOPED_TRACE("size " + std::to_string(data.size()) + " level " + std::to_string(level) +
                             (withXor ? " xor" : ""));
                std::vector<uint8_t> stream(LzssCompressBound(static_cast<uint32_t>(data.size())));
                uint32_t packed = 0;
                auto* fn = withXor ? LzssCompressXor2 : LzssCompress2;
                ASSERT_EQ(fn(data.data(), static_cast<uint32_t>(data.size()), stream.data(), &packed, level), 1);
                ASSERT_LE(packed, stream.size());
                EXPECT_EQ(packed < data.size(), data.size() == 30000) << "text shrinks, noise does not";
                tvtest::Record r;
                r.name = "S/t";
                r.method = withXor ? 3 : 1;
                r.packedSize = packed;
                r.fileSize = static_cast<uint32_t>(data.size());
                r.block.assign(stream.begin(), stream.begin() + packed);
                const std::string bytes = tvtest::ArchiveBuilder::Listsmith().Folder("S").Add(r).Build();
                tvapi::genpak::MemorySource source(bytes.data(), bytes.size());
                tvapi::genpak::Directory dir;
                ASSERT_EQ(tvapi::genpak::ReadDirectory(source, dir), tvapi::genpak::Status::kOk);
                std::string back(data.size(), '\0');
                ASSERT_TRUE(tvapi::genpak::ReadMember(source, dir.entries[1], reinterpret_cast<uint8_t*>(back.data())));
                EXPECT_EQ(back, data);
            }
        }
    }
}

}  // namespace
