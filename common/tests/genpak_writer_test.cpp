// The shared container writer on real files: what it leaves behind when the work ends unfinished,
// under each commit policy, and the 2 GiB the format's signed offsets allow.
#include "tavrin/genpak_writer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Bytes = std::vector<uint8_t>;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(GenpakWriter, AnUnfinishedContainerLeavesNothingAndKeepsOrDropsTheOldOne) {
    struct Case {
        CommitPolicy policy;
        bool oldKept;  // replace-when-done keeps the old container until the new one is whole
    };
    for (const Case& c : {Case{CommitPolicy::kReplaceWhenDone, true}, Case{CommitPolicy::kWriteInPlace, false}}) {
        SCOPED_TRACE(c.oldKept);
        TempFolder folder;
        const std::wstring output = folder / L"song.tvn", temporary = folder / L"song.tmp";
        WriteBytes(output, {'O', 'L', 'D'});
        try {
            GenpakWriter writer(output, temporary, c.policy, {1, 2});
            writer.AddFolder("song");
            writer.AddFile("song/a", tvapi::genpak::kStored, "abc", 3, 3);
            throw std::runtime_error("any failure of the caller's");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(Exists(output), c.oldKept);
        if (c.oldKept) {
            EXPECT_EQ(ReadBytes(output), (Bytes{'O', 'L', 'D'}));
        }
        EXPECT_FALSE(Exists(temporary));
        EXPECT_FALSE(Exists(output + L".part"));
    }
}

TEST(GenpakWriter, AnEntryIsRefusedWhenTheContainerWouldPass2GiB) {
    TempFolder folder;
    const std::wstring output = folder / L"song.pak";
    GenpakWriter writer(output, folder / L"song.tmp", CommitPolicy::kReplaceWhenDone, {1, 2});
    writer.AddFolder("F");  // 16 bytes of directory
    // With the marker (8), this entry's record (16) and the trailer (9), 49 bytes beside the data:
    // one byte more of data and DirOffset or the trailer would pass the largest signed offset.
    const uint8_t block[1] = {0};
    try {
        writer.AddFile("F/a", tvapi::genpak::kStored, block, 0x7FFFFFFFu - 49 + 1, 0x7FFFFFFFu - 49 + 1);
        FAIL() << "accepted";
    } catch (const FileFailure& f) {
        EXPECT_NE(f.reason.find(L"2 GiB"), std::wstring::npos);
    }
    writer.AddFile("F/b", tvapi::genpak::kStored, block, 1, 1);  // the writer is still usable
    writer.Finish();
    EXPECT_EQ(ReadBytes(output).size(), 1u + 8 + 16 + 18 + 9);
}

}  // namespace
}  // namespace tavrin
