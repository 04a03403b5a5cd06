// The shared container writer on real files, through the platform's own file operations (the
// standard library natively, Win32 under Wine): what it leaves behind when the work ends
// unfinished, under each commit policy, and the 2 GiB the format's signed offsets allow.
#include "tavrin/genpak_writer.h"

#include <gtest/gtest.h>

#include "test_archives.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

TEST(GenpakWriter, AnUnfinishedContainerLeavesNothingAndKeepsOrDropsTheOldOne) {
    for (const CommitPolicy policy : {CommitPolicy::kReplaceWhenDone, CommitPolicy::kWriteInPlace}) {
        const bool oldKept = policy == CommitPolicy::kReplaceWhenDone;  // until the new one is whole
        SCOPED_TRACE(oldKept);
        tvtest::TempDir dir;
        const fs::path output = dir.Path() / "song.tvn", temporary = dir.Path() / "song.tmp";
        tvtest::WriteFile(output, "OLD");
        try {
            GenpakWriter writer(output, temporary, policy, {1, 2});
            writer.AddFolder("song");
            writer.AddFile("song/a", tvapi::genpak::kStored, "abc", 3, 3);
            throw std::runtime_error("any failure of the caller's");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(fs::exists(output), oldKept);
        if (oldKept) {
            EXPECT_EQ(tvtest::ReadFile(output), "OLD");
        }
        EXPECT_FALSE(fs::exists(temporary));
        EXPECT_FALSE(fs::exists(dir.Path() / "song.tvn.part"));
    }
}

TEST(GenpakWriter, AnEntryIsRefusedWhenTheContainerWouldPass2GiB) {
    tvtest::TempDir dir;
    GenpakWriter writer(dir.Path() / "S.pak", dir.Path() / "S.tmp", CommitPolicy::kReplaceWhenDone, {1, 2});
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
    EXPECT_EQ(tvtest::ReadFile(dir.Path() / "S.pak").size(), 1u + 8 + 16 + 18 + 9);
}

}  // namespace
}  // namespace tavrin
