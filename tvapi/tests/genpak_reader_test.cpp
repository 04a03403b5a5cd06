// The container reader on hand-built archives of both writers and on every kind of damage; the
// compressor exports feeding it.
#include <gtest/gtest.h>

#include <tuple>

#include "genpak_reader.h"
#include "test_archives.h"
#include "tvapi.h"

namespace {

using namespace tvapi::genpak;
using tvtest::ArchiveBuilder;

// Reads from a copy of exactly the archive's bytes, so that the sanitizer sees any read past it.
Status Parse(const std::string& bytes, Directory& dir) {
    const std::vector<char> exact(bytes.begin(), bytes.end());
    MemorySource source(exact.data(), exact.size());
    return ReadDirectory(source, dir);
}

std::string Member(const std::string& bytes, const Directory& dir, size_t i, size_t sourceSize = SIZE_MAX) {
    MemorySource source(bytes.data(), std::min(sourceSize, bytes.size()));
    std::string out(dir.entries[i].fileSize, '\0');
    return ReadMember(source, dir.entries[i], reinterpret_cast<uint8_t*>(out.data())) ? out : "<failed>";
}

TEST(GenpakReader, ReadsBothWritersArchivesAndEveryTruncationFails) {
    for (const ArchiveBuilder& b : {tvtest::TunebaleSample(), tvtest::ListsmithSample(), ArchiveBuilder()}) {
        const std::string bytes = b.Build();
        Directory dir;
        ASSERT_EQ(Parse(bytes, dir), Status::kOk);
        ASSERT_EQ(dir.entries.size(), b.Records().size());
        EXPECT_EQ(std::tuple(dir.dirOffset, dir.writerBytes[0], dir.writerBytes[1]),
                  std::tuple(b.DirOffset(), bytes[b.DirOffset() - 2], bytes[b.DirOffset() - 1]));
        for (size_t i = 0; i < dir.entries.size(); ++i) {
            const auto& [r, e] = std::tie(b.Records()[i], dir.entries[i]);
            EXPECT_EQ(std::tuple(std::string(dir.Name(e)), +e.method, e.dataOffset, e.packedSize, e.fileSize),
                      std::tuple(r.name, +r.method, r.dataOffset, r.packedSize, r.fileSize));
        }
        for (size_t n = 0; n < bytes.size(); ++n) ASSERT_NE(Parse(bytes.substr(0, n), dir), Status::kOk) << n;
    }
    const std::string bytes = tvtest::TunebaleSample().Build(), other = tvtest::ListsmithSample().Build();
    Directory dir, otherDir;
    ASSERT_EQ(Parse(bytes, dir), Status::kOk);
    ASSERT_EQ(Parse(other, otherDir), Status::kOk);
    EXPECT_EQ(Member(bytes, dir, 1) + Member(bytes, dir, 3), tvtest::RandomBytes(100, 1));
    EXPECT_EQ(Member(bytes, dir, 2) + Member(bytes, dir, 6), tvtest::TextLike(4000, 2) + tvtest::TextLike(2000, 3));
    EXPECT_EQ(Member(other, otherDir, 1), tvtest::RandomBytes(700, 4)) << "a member that grew";
    EXPECT_EQ(Member(other, otherDir, 3), std::string("\xFF\xFE<\0M\0", 6));
}

TEST(GenpakReader, EachKindOfCorruptionIsRejected) {
    const ArchiveBuilder b = tvtest::TunebaleSample();
    const uint32_t d = b.DirOffset(), n = static_cast<uint32_t>(b.Build().size());
    // The second record ("MySong/a.bin", stored, at 0) starts 21 bytes into the directory.
    ASSERT_EQ(b.Build().substr(d + 35, 12), "MySong/a.bin");
    const struct {
        const char* what;
        Status expected;
        size_t at;  // where a 32-bit value goes
        uint32_t value;
    } cases[] = {
        {"DirOffset below 8", Status::kDirOffset, n - 9, 7},
        {"DirOffset into the trailer", Status::kDirOffset, n - 9, n - 8},
        {"DirOffset past the end", Status::kDirOffset, n - 9, ~15u},
        {"one record more", Status::kRecordsOverrun, n - 5, 8},
        {"huge EntryCount", Status::kRecordsOverrun, n - 5, ~0u},
        {"EntryCount 2^31", Status::kRecordsOverrun, n - 5, 1u << 31},
        {"one record fewer", Status::kDirectoryGap, n - 5, 6},
        {"NameLen past the directory", Status::kRecordsOverrun, d, 0xFF + (0x02 << 8)},
        {"DataOffset past the end", Status::kBlockOutside, d + 23, ~255u},
        {"block one byte into the marker", Status::kBlockOutside, d + 27, d - 7},
        {"wrong end tag", Status::kEndTag, n - 4, 0x13000000},
        {"bad marker", Status::kMarker, d - 4, 0x0201'4341},  // "GENPAC"
    };
    for (const auto& c : cases) {
        std::string bytes = b.Build();
        tvtest::PutLe32(bytes, c.at, c.value);
        Directory dir;
        EXPECT_EQ(Parse(bytes, dir), c.expected) << c.what;
        EXPECT_TRUE(dir.entries.empty()) << c.what;
    }
    Directory dir;
    EXPECT_EQ(Parse(b.Build().insert(n - 9, 1, '\0'), dir), Status::kDirectoryGap) << "a stray byte before the trailer";
    // 17 bytes claiming 2^32 - 1 records: the count is checked against the space, not reserved.
    std::string bytes = ArchiveBuilder().Build();
    tvtest::PutLe32(bytes, 12, ~0u);
    EXPECT_EQ(Parse(bytes, dir), Status::kRecordsOverrun);
    EXPECT_EQ(dir.entries.capacity(), 0u);
}

TEST(GenpakReader, MembersThatCannotBeReadFail) {
    // A valid stream of 41 bytes, then the record's sizes are bent around it.
    // clang-format off
    const std::pair<const char*, void (*)(tvtest::Record&)> cases[] = {
        {"FileSize one more than the stream gives", [](tvtest::Record& r) { ++r.fileSize; }},
        {"FileSize one less: stream bytes left over", [](tvtest::Record& r) { --r.fileSize; }},
        {"stream cut short", [](tvtest::Record& r) { r.block.pop_back(), r.packedSize--; }},
        {"FileSize no stream of that length gives", [](tvtest::Record& r) { r.fileSize = 0x7FFFFFFF; }},
        {"method 0 with PackedSize unlike FileSize", [](tvtest::Record& r) { r.method = 0, r.fileSize++; }},
        {"unknown method", [](tvtest::Record& r) { r.method = 7; }},
        {"method 3 over a method 1 stream", [](tvtest::Record& r) { r.method = 3; }},
        {"a source that ends inside the block", nullptr}};
    // clang-format on
    for (const auto& [what, bend] : cases) {
        ArchiveBuilder b = ArchiveBuilder().Folder("d").Packed("d/x", tvtest::TextLike(41, 9));
        if (bend) bend(b.Records()[1]);
        const std::string bytes = b.Build();
        Directory dir;
        ASSERT_EQ(Parse(bytes, dir), Status::kOk) << what;
        // A FileSize no stream could reach is refused before anything is allocated for it.
        if (!IsReadable(dir.entries[1])) continue;
        EXPECT_EQ(Member(bytes, dir, 1, bend ? SIZE_MAX : 10), "<failed>") << what;
    }
}

TEST(GenpakReader, MemberIndexFindsExactNamesBeforeCaseInsensitiveOnesAndTheFirstOfDuplicates) {
    // 0x81 0x41 and 0x81 0x61 are two different characters whose trail bytes look like A and a.
    ArchiveBuilder b = ArchiveBuilder().Folder("S");
    for (const char* name : {"S/A.txt", "S/B.txt", "S/a.txt", "S/\xB8\xE8", "S/x", "S/X", "S/x", "S/\x81\x41"})
        b.Stored(name, name);
    Directory dir;
    ASSERT_EQ(Parse(b.Build(), dir), Status::kOk);
    const MemberIndex index(dir);
    const std::pair<std::string, long long> cases[] = {
        {"S/a.txt", 3}, {"S/A.txt", 1}, {"s/b.TXT", 2}, {"S/\xB8\xE8", 4}, {"S/c.txt", -1},   {"S", -1},
        {"", -1},       {"S/x", 5},     {"S/X", 6},     {"s/X", 5},        {"s/\x81\x41", 8}, {"S/\x81\x61", -1},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(index.Find(dir, name), expected) << name;
}

TEST(Exports, CompressorsRefuseBadArgumentsAndFeedTheReaderEvenWhenNothingShrinks) {
    // listsmith stores every member with method 1, so a stream that does not shrink must still be
    // complete: no early stop behind the exports.
    for (const std::string& data : {tvtest::TextLike(30000, 11), tvtest::RandomBytes(5000, 12)}) {
        for (auto* fn : {LzssCompress2, LzssCompressXor2}) {
            const auto n = static_cast<uint32_t>(data.size());
            std::string out(LzssCompressBound(n), '\0');
            uint32_t packed = 12345;
            for (const int32_t level : {0, -1, 10}) EXPECT_EQ(fn(data.data(), n, &out[0], &packed, level), 0);
            EXPECT_EQ(fn(nullptr, n, &out[0], &packed, 1) + fn(data.data(), n, nullptr, &packed, 1), 0);
            EXPECT_EQ(fn(data.data(), n, &out[0], nullptr, 1), 0);
            EXPECT_EQ(packed, 12345u) << "nothing reported for a refused call";
            EXPECT_EQ(fn(data.data(), 0, &out[0], &packed, 1) * 10 + packed, 10u) << "empty input, empty stream";
            for (const int32_t level : {1, 5, 9}) {
                ASSERT_EQ(fn(data.data(), n, &out[0], &packed, level), 1);
                EXPECT_EQ(packed < n, n == 30000) << "text shrinks, noise does not";
                const uint8_t method = fn == LzssCompress2 ? 1 : 3;
                const std::string bytes =
                    ArchiveBuilder().Add({"t", method, 0, packed, n, 0, out.substr(0, packed)}).Build();
                Directory dir;
                ASSERT_EQ(Parse(bytes, dir), Status::kOk);
                EXPECT_EQ(Member(bytes, dir, 0), data) << n << " bytes, level " << level << ", method " << +method;
            }
        }
    }
}

}  // namespace
