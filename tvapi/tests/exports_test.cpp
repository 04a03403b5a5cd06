// The C interface's own rules: argument checks, levels, and that the compressors' output is what
// the archive reader expands for methods 1 and 3.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genpak_reader.h"
#include "pak_cache.h"
#include "test_archives.h"
#include "tvapi.h"

namespace {

std::vector<uint8_t> Compress(const std::string& data, bool withXor, int32_t level, uint32_t* packed) {
    std::vector<uint8_t> out(LzssCompressBound(static_cast<uint32_t>(data.size())));
    auto* fn = withXor ? LzssCompressXor2 : LzssCompress2;
    EXPECT_EQ(fn(data.data(), static_cast<uint32_t>(data.size()), out.data(), packed, level), 1);
    out.resize(*packed);
    return out;
}

TEST(Exports, CompressorsRejectNullPointersAndUnknownLevels) {
    const std::string data = "abcabcabcabc";
    std::vector<uint8_t> out(LzssCompressBound(12));
    uint32_t packed = 12345;
    for (auto* fn : {LzssCompress2, LzssCompressXor2}) {
        EXPECT_EQ(fn(nullptr, 12, out.data(), &packed, 1), 0);
        EXPECT_EQ(fn(data.data(), 12, nullptr, &packed, 1), 0);
        EXPECT_EQ(fn(data.data(), 12, out.data(), nullptr, 1), 0);
        EXPECT_EQ(fn(data.data(), 12, out.data(), &packed, 0), 0);
        EXPECT_EQ(fn(data.data(), 12, out.data(), &packed, -1), 0);
        EXPECT_EQ(fn(data.data(), 12, out.data(), &packed, TVAPI_LEVEL_BEST + 1), 0);
        EXPECT_EQ(packed, 12345u) << "nothing reported for a refused call";
    }
    EXPECT_GE(LzssCompressBound(1000), 1000u + 125u);
}

TEST(Exports, BothCompressorsFeedTheReaderAtEveryLevel) {
    // Compressed through the exports, stored as methods 1 and 3, read back through GetFileFromPakW.
    tvtest::TempDir tmp;
    const std::string text = tvtest::TextLike(30000, 11);
    for (const int32_t level : {TVAPI_LEVEL_DEFAULT, 5, TVAPI_LEVEL_BEST}) {
        for (const bool withXor : {false, true}) {
            uint32_t packed = 0;
            const std::vector<uint8_t> stream = Compress(text, withXor, level, &packed);
            ASSERT_LT(packed, text.size());
            tvtest::Record r;
            r.name = "S/t.xml";
            r.method = withXor ? 3 : 1;
            r.packedSize = packed;
            r.fileSize = static_cast<uint32_t>(text.size());
            r.block.assign(stream.begin(), stream.end());
            tvtest::ArchiveBuilder b;
            b.Folder("S").Add(r);
            const auto pak = tmp.Path() / ("l" + std::to_string(level) + (withXor ? "x" : "") + ".pak");
            tvtest::WriteFile(pak, b.Build());
            tvapi::pak::ResetCache();
#if defined(_WIN32)
            const std::wstring archive = pak.wstring();
            const std::wstring member = L"S/t.xml";
#else
            const std::u16string archive = pak.u16string();
            const std::u16string member = u"S/t.xml";
#endif
            std::string back(text.size(), '\0');
            EXPECT_EQ(GetFileFromPakW(back.data(), static_cast<uint32_t>(back.size()), archive.c_str(), member.c_str()),
                      text.size());
            EXPECT_EQ(back, text) << "level " << level << (withXor ? " xor" : "");
        }
    }
}

TEST(Exports, IncompressibleDataStillGivesTheWholeStream) {
    // listsmith stores every member with method 1, so a stream that does not shrink must still be
    // complete: no early stop behind the exports.
    const std::string noise = tvtest::RandomBytes(5000, 12);
    uint32_t packed = 0;
    const std::vector<uint8_t> stream = Compress(noise, false, TVAPI_LEVEL_DEFAULT, &packed);
    EXPECT_GE(packed, noise.size());
    EXPECT_LE(packed, LzssCompressBound(5000));
    tvtest::Record r;
    r.name = "S/n";
    r.method = 1;
    r.packedSize = packed;
    r.fileSize = 5000;
    r.block.assign(stream.begin(), stream.end());
    tvtest::ArchiveBuilder b = tvtest::ArchiveBuilder::Listsmith();
    b.Folder("S").Add(r);
    const std::string bytes = b.Build();
    tvapi::genpak::MemorySource source(bytes.data(), bytes.size());
    tvapi::genpak::Directory dir;
    ASSERT_EQ(tvapi::genpak::ReadDirectory(source, dir), tvapi::genpak::Status::kOk);
    std::string back(5000, '\0');
    ASSERT_TRUE(tvapi::genpak::ReadMember(source, dir.entries[1], reinterpret_cast<uint8_t*>(back.data())));
    EXPECT_EQ(back, noise);
}

TEST(Exports, EmptyInputCompressesToAnEmptyStream) {
    uint32_t packed = 99;
    uint8_t out[64];
    const char src = 0;
    EXPECT_EQ(LzssCompress2(&src, 0, out, &packed, 1), 1);
    EXPECT_EQ(packed, 0u);
}

}  // namespace
