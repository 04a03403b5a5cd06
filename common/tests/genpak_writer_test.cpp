// The shared container writer on real files, through the platform's own file operations (the
// standard library natively, Win32 under Wine): what it leaves behind when the work ends
// unfinished, under each commit policy, and the 2 GiB the format's signed offsets allow.
#include "tavrin/genpak_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("tavrin-writer-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

Bytes Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void Put(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

TEST(GenpakWriter, AnUnfinishedContainerLeavesNothingAndKeepsOrDropsTheOldOne) {
    for (const CommitPolicy policy : {CommitPolicy::kReplaceWhenDone, CommitPolicy::kWriteInPlace}) {
        const bool oldKept = policy == CommitPolicy::kReplaceWhenDone;  // until the new one is whole
        SCOPED_TRACE(oldKept);
        TempDir dir;
        const fs::path output = dir.path / "song.tvn", temporary = dir.path / "song.tmp";
        Put(output, {'O', 'L', 'D'});
        try {
            GenpakWriter writer(output, temporary, policy, {1, 2});
            writer.AddFolder("song");
            writer.AddFile("song/a", tvapi::genpak::kStored, "abc", 3, 3);
            throw std::runtime_error("any failure of the caller's");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(fs::exists(output), oldKept);
        if (oldKept) {
            EXPECT_EQ(Read(output), (Bytes{'O', 'L', 'D'}));
        }
        EXPECT_FALSE(fs::exists(temporary));
        EXPECT_FALSE(fs::exists(dir.path / "song.tvn.part"));
    }
}

TEST(GenpakWriter, AFinishedContainerHoldsItsRecordsAndReplacesTheOldOne) {
    TempDir dir;
    const fs::path output = dir.path / "S.pak";
    Put(output, {'O', 'L', 'D'});
    GenpakWriter writer(output, dir.path / "S.tmp", CommitPolicy::kReplaceWhenDone, {1, 2});
    writer.AddFolder("S");
    writer.AddFile("S/a", tvapi::genpak::kStored, "xyz", 3, 3);
    const FinishedContainer done = writer.Finish();
    EXPECT_EQ(done.dirOffset, 3 + 8);
    EXPECT_EQ(done.entryCount, 2);
    const Bytes expected = {'x', 'y', 'z', 'G', 'E', 'N', 'P', 'A', 'K', 1, 2,  // data, marker, writer bytes
                            1,   2,   0,   0,   0,   0,   0,   0,   0,   0, 0,   0, 0, 0, 'S', 0,  // the folder
                            3,   0,   0,   0,   0,   0,   3,   0,   0,   0, 3,   0, 0, 0, 'S', '/',
                            'a', 0,   11,  0,   0,   0,   2,   0,   0,   0, 0x12};  // DirOffset, EntryCount, end tag
    EXPECT_EQ(Read(output), expected);
    EXPECT_FALSE(fs::exists(dir.path / "S.tmp"));
}

TEST(GenpakWriter, AnEntryIsRefusedWhenTheContainerWouldPass2GiB) {
    TempDir dir;
    GenpakWriter writer(dir.path / "S.pak", dir.path / "S.tmp", CommitPolicy::kReplaceWhenDone, {1, 2});
    writer.AddFolder("F");  // 16 bytes of directory
    // With the marker (8), this entry's record (18) and the trailer (9), 51 bytes beside the data:
    // one byte more of data and DirOffset or the trailer would pass the largest signed offset.
    const uint8_t block[1] = {0};
    const uint32_t tooMuch = 0x7FFFFFFFu - 51 + 1;
    try {
        writer.AddFile("F/a", tvapi::genpak::kStored, block, tooMuch, tooMuch);
        FAIL() << "accepted";
    } catch (const FileFailure& f) {
        EXPECT_NE(f.reason.find(L"2 GiB"), std::wstring::npos);
    }
    writer.AddFile("F/b", tvapi::genpak::kStored, block, 1, 1);  // the writer is still usable
    writer.Finish();
    EXPECT_EQ(Read(dir.path / "S.pak").size(), 1u + 8 + 16 + 18 + 9);
}

}  // namespace
}  // namespace tavrin
