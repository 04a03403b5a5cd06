// Drops as Explorer hands them over, made in this process: a drop handle cannot cross processes.
#include "folder_drop.h"

#include <shlobj.h>  // DROPFILES

#include <gtest/gtest.h>

#include <cstring>

#include "tavrin/handle_owners.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

using testing::TempFolder;

// A DROPFILES block: the header, then the wide paths, each ended by a NUL, and one more NUL.
DropHandle MakeDrop(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) list += path + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return DropHandle(static_cast<HDROP>(memory));
}

TEST(FolderDrop, FirstFolderWinsAFileGivesItsFolderAndGoneItemsCountForNothing) {
    TempFolder root;
    const std::wstring song = root / L"歌 A", other = root / L"B", loose = root / L"loose.txt";
    CreateDirectoryW(song.c_str(), nullptr);
    CreateDirectoryW(other.c_str(), nullptr);
    testing::WriteBytes(song + L"\\song.ogg", {1});
    testing::WriteBytes(loose, {1});
    struct Case {
        const char* why;
        std::vector<std::wstring> items;
        std::wstring folder;
    };
    for (const Case& c : {Case{"the first folder among several items", {loose, song, other}, song},
                          Case{"a file gives its folder", {song + L"\\song.ogg"}, song},
                          Case{"of files only, the first one's folder", {loose, song + L"\\song.ogg"}, root.Path()},
                          Case{"an item that is gone is passed over", {root / L"gone", other}, other},
                          Case{"nothing usable", {root / L"gone"}, L""}, Case{"an empty drop", {}, L""}}) {
        SCOPED_TRACE(c.why);
        const DropHandle drop = MakeDrop(c.items);
        EXPECT_EQ(DroppedFolder(drop.Get()), c.folder);
    }
    EXPECT_EQ(FolderOfDrop({{L"C:\\a.txt", false}}), L"C:\\") << "the drive itself, not its current folder";
}

}  // namespace
}  // namespace tavrin
