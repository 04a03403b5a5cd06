// The container reader on hand-built archives of both writers, and on every kind of damage.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "genpak_reader.h"
#include "lzss.h"
#include "test_archives.h"

namespace {

using tvapi::genpak::Directory;
using tvapi::genpak::MemorySource;
using tvapi::genpak::Status;
using tvtest::ArchiveBuilder;
using tvtest::kSong;
using tvtest::ListsmithSample;
using tvtest::TunebaleSample;

Status Parse(const std::string& bytes, Directory& dir) {
    MemorySource source(bytes.data(), bytes.size());
    return tvapi::genpak::ReadDirectory(source, dir);
}

std::string Member(const std::string& bytes, const Directory& dir, size_t i) {
    MemorySource source(bytes.data(), bytes.size());
    std::string out(dir.entries[i].fileSize, '\0');
    if (!tvapi::genpak::ReadMember(source, dir.entries[i], reinterpret_cast<uint8_t*>(out.data()))) return "<failed>";
    return out;
}

TEST(GenpakReader, ReadsBothWritersArchives) {
    const ArchiveBuilder b = TunebaleSample();
    const std::string bytes = b.Build();
    Directory dir;
    ASSERT_EQ(Parse(bytes, dir), Status::kOk);
    ASSERT_EQ(dir.entries.size(), 7u);
    EXPECT_EQ(dir.dirOffset, b.DirOffset());
    EXPECT_EQ(dir.writerBytes[0] * 256 + dir.writerBytes[1], 0x0102);
    for (size_t i = 0; i < dir.entries.size(); ++i) {
        const auto& rec = b.Records()[i];
        const auto& e = dir.entries[i];
        EXPECT_EQ(dir.Name(e), rec.name);
        EXPECT_EQ(std::tuple(+e.method, e.dataOffset, e.packedSize, e.fileSize),
                  std::tuple(+rec.method, rec.dataOffset, rec.packedSize, rec.fileSize))
            << i;
    }
    EXPECT_EQ(Member(bytes, dir, 1), tvtest::RandomBytes(100, 1));
    EXPECT_EQ(Member(bytes, dir, 2), tvtest::TextLike(4000, 2));
    EXPECT_EQ(Member(bytes, dir, 3), "");
    EXPECT_EQ(Member(bytes, dir, 6), tvtest::TextLike(2000, 3));

    // listsmith's: a member that grew, a 255-byte name.
    const std::string other = ListsmithSample().Build();
    ASSERT_EQ(Parse(other, dir), Status::kOk);
    ASSERT_EQ(dir.entries.size(), 4u);
    EXPECT_GE(dir.entries[1].packedSize, dir.entries[1].fileSize);
    EXPECT_EQ(dir.entries[2].nameLen, 255);
    EXPECT_EQ(Member(other, dir, 1), tvtest::RandomBytes(700, 4));
    EXPECT_EQ(Member(other, dir, 2), tvtest::TextLike(900, 5));
    EXPECT_EQ(Member(other, dir, 3), std::string("\xFF\xFE<\0M\0", 6));

    // A stream of literals, independent of the compressor, under writer bytes nobody uses.
    const std::string content = "Literal bytes only: 0123456789 and a tail";
    const std::string literals = ArchiveBuilder(0xFF, 0x00).Folder("d").Literals("d/x", content).Build();
    ASSERT_EQ(Parse(literals, dir), Status::kOk);
    EXPECT_EQ(Member(literals, dir, 1), content);

    // An empty folder: marker, one folder record, trailer with DirOffset 8. A missing one: no records.
    ASSERT_EQ(Parse(ArchiveBuilder::Tunebale().Folder("Empty").Build(), dir), Status::kOk);
    EXPECT_EQ(dir.dirOffset, 8u);
    EXPECT_EQ(dir.entries.size(), 1u);
    const std::string none = ArchiveBuilder::Tunebale().Build();
    EXPECT_EQ(none.size(), 17u);
    ASSERT_EQ(Parse(none, dir), Status::kOk);
    EXPECT_TRUE(dir.entries.empty());
}

TEST(GenpakReaderDamage, EveryTruncationFailsCleanly) {
    for (const std::string& whole : {TunebaleSample().Build(), ListsmithSample().Build()}) {
        for (size_t n = 0; n < whole.size(); ++n) {
            // A copy of exactly n bytes, so that reading past it is an error the sanitizer sees.
            const std::vector<char> prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            MemorySource source(prefix.data(), prefix.size());
            Directory dir;
            ASSERT_NE(tvapi::genpak::ReadDirectory(source, dir), Status::kOk) << "prefix of " << n << " bytes";
        }
    }
}

struct Damage {
    const char* what;
    Status expected;
    void (*apply)(std::string& bytes, uint32_t dirOffset);
};

const Damage kDamages[] = {
    {"wrong end tag", Status::kEndTag, [](std::string& s, uint32_t) { s.back() = 0x13; }},
    {"bad marker", Status::kMarker, [](std::string& s, uint32_t d) { s[d - 8 + 5] = 'C'; }},
    {"DirOffset below 8", Status::kDirOffset, [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 9, 7); }},
    {"DirOffset into the trailer", Status::kDirOffset,
     [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 9, static_cast<uint32_t>(s.size() - 8)); }},
    {"DirOffset past the end", Status::kDirOffset,
     [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 9, 0xFFFFFFF0u); }},
    {"one record more than there are", Status::kRecordsOverrun,
     [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, tvtest::GetLe32(s, s.size() - 5) + 1); }},
    {"huge EntryCount", Status::kRecordsOverrun,
     [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, 0xFFFFFFFFu); }},
    {"EntryCount 2^31", Status::kRecordsOverrun,
     [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, 0x80000000u); }},
    {"one record fewer", Status::kDirectoryGap,
     [](std::string& s, uint32_t) { tvtest::PutLe32(s, s.size() - 5, tvtest::GetLe32(s, s.size() - 5) - 1); }},
    {"NameLen running past the directory", Status::kRecordsOverrun,
     [](std::string& s, uint32_t) {
         // The last record is "MySong/sub/..." at the end; make the first name claim 255 bytes.
         const uint32_t d = tvtest::GetLe32(s, s.size() - 9);
         s[d] = static_cast<char>(0xFF);
     }},
    {"a stray byte between the last record and the trailer", Status::kDirectoryGap,
     [](std::string& s, uint32_t) { s.insert(s.size() - 9, 1, '\0'); }},
    {"DataOffset past the end", Status::kBlockOutside,
     [](std::string& s, uint32_t d) { tvtest::PutLe32(s, d + 21 + 2, 0xFFFFFF00u); }},
    {"PackedSize that does not fit", Status::kBlockOutside,
     [](std::string& s, uint32_t d) { tvtest::PutLe32(s, d + 21 + 6, d); }},
    {"block reaching into the marker", Status::kBlockOutside,
     [](std::string& s, uint32_t d) { tvtest::PutLe32(s, d + 21 + 6, tvtest::GetLe32(s, d + 21 + 6) + d); }},
};

TEST(GenpakReaderDamage, EachKindOfCorruptionIsRejected) {
    const ArchiveBuilder b = TunebaleSample();
    const std::string good = b.Build();
    const uint32_t d = b.DirOffset();
    // The second record ("MySong/a.bin", stored) starts 15 + 6 bytes into the directory.
    ASSERT_EQ(good.substr(d + 21 + 14, 12), "MySong/a.bin");
    for (const Damage& damage : kDamages) {
        std::string bytes = good;
        damage.apply(bytes, d);
        const std::vector<char> exact(bytes.begin(), bytes.end());
        MemorySource source(exact.data(), exact.size());
        Directory dir;
        EXPECT_EQ(tvapi::genpak::ReadDirectory(source, dir), damage.expected) << damage.what;
        EXPECT_TRUE(dir.entries.empty()) << damage.what;
    }
}

TEST(GenpakReaderDamage, MembersThatCannotExpandFail) {
    // A valid stream of 41 literal bytes, then the record's sizes are bent around it.
    const std::string content = tvtest::TextLike(41, 9);
    const ArchiveBuilder base = ArchiveBuilder::Tunebale().Folder("d").Literals("d/x", content);
    struct Case {
        const char* what;
        void (*bend)(tvtest::Record&);
    } const cases[] = {
        {"FileSize one more than the stream gives", [](tvtest::Record& r) { ++r.fileSize; }},
        {"FileSize one less: stream bytes left over", [](tvtest::Record& r) { --r.fileSize; }},
        {"stream cut short",
         [](tvtest::Record& r) {
             r.block.pop_back();
             r.packedSize--;
         }},
        {"FileSize beyond what any stream of that length gives", [](tvtest::Record& r) { r.fileSize = 0x7FFFFFFF; }},
        {"method 0 with PackedSize unlike FileSize",
         [](tvtest::Record& r) {
             r.method = 0;
             r.fileSize = r.packedSize + 1;
         }},
        {"unknown method", [](tvtest::Record& r) { r.method = 7; }},
        {"method 3 over a method 1 stream", [](tvtest::Record& r) { r.method = 3; }},
    };
    for (const auto& c : cases) {
        ArchiveBuilder b = base;
        c.bend(b.Records()[1]);
        const std::string bytes = b.Build();
        Directory dir;
        ASSERT_EQ(Parse(bytes, dir), Status::kOk) << c.what;
        const auto& e = dir.entries[1];
        MemorySource source(bytes.data(), bytes.size());
        // Allocate only what the entry itself allows; a FileSize no stream could reach is refused
        // before anything is allocated.
        if (!tvapi::genpak::IsReadable(e)) continue;
        std::vector<uint8_t> out(e.fileSize);
        EXPECT_FALSE(tvapi::genpak::ReadMember(source, e, out.data())) << c.what;
    }
}

TEST(GenpakReaderDamage, HugeCountsAllocateNothingBeforeTheyAreChecked) {
    // 17 bytes claiming 2^32 - 1 records: the count is rejected against the space, not reserved.
    std::string bytes = ArchiveBuilder::Tunebale().Build();
    tvtest::PutLe32(bytes, 12, 0xFFFFFFFFu);
    Directory dir;
    EXPECT_EQ(Parse(bytes, dir), Status::kRecordsOverrun);
    EXPECT_EQ(dir.entries.capacity(), 0u);
}

TEST(MemberIndex, FindsExactNamesBeforeCaseInsensitiveOnesAndTheFirstOfDuplicates) {
    // 0x81 0x41 and 0x81 0x61 are two different characters whose trail bytes look like A and a.
    const std::string bytes = ArchiveBuilder::Tunebale()
                                  .Folder("S")
                                  .Stored("S/A.txt", "upper")
                                  .Stored("S/B.txt", "b")
                                  .Stored("S/a.txt", "lower")
                                  .Stored("S/" + kSong, "song")
                                  .Stored("S/x", "first")
                                  .Stored("S/X", "second")
                                  .Stored("S/x", "third")
                                  .Stored("S/\x81\x41", "x")
                                  .Build();
    Directory dir;
    ASSERT_EQ(Parse(bytes, dir), Status::kOk);
    const tvapi::genpak::MemberIndex index(dir);
    const std::pair<std::string, long long> cases[] = {
        {"S/a.txt", 3}, {"S/A.txt", 1}, {"s/b.TXT", 2}, {"S/" + kSong, 4}, {"S/c.txt", -1},   {"S", -1},
        {"", -1},       {"S/x", 5},     {"S/X", 6},     {"s/X", 5},        {"s/\x81\x41", 8}, {"S/\x81\x61", -1},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(index.Find(dir, name), expected) << name;
}

}  // namespace
