// The pack builder's start-up: its command line as Explorer gives it, and folders dropped on it
// as Explorer hands them over (made in this process: a drop handle cannot cross processes).
#include "app.h"

#include <windows.h>
#include <shlobj.h>  // DROPFILES

#include <gtest/gtest.h>

#include <cstring>

#include "folder_drop.h"
#include "tavrin/handle_owners.h"
#include "tavrin/numbered_error.h"
#include "temp_folder.h"

namespace tavrin {
namespace {

TEST(AppEnvironment, ExplorerCommandLineGivesThreeTokensAndTheProgramParts) {
    InitAppEnvironmentFrom(L"C:\\Program Files\\T\\tunebale.exe",
                           L"\"C:\\Program Files\\T\\tunebale.exe\" -cpr \"D:\\My Songs\\歌 1\"");
    EXPECT_EQ(App().AppFolder + App().AppExeName, L"C:\\Program Files\\T\\tunebale.exe");
    EXPECT_EQ(App().AppArgText, L"-cpr \"D:\\My Songs\\歌 1\"");
    ASSERT_EQ(ArgCount(), 3);
    EXPECT_EQ(Arg(0) + L"|" + Arg(1) + L"|" + Arg(2), L"C:\\Program Files\\T\\tunebale.exe|-cpr|D:\\My Songs\\歌 1");
    for (int32_t bad : {-1, 3, 100}) {
        try {
            Arg(bad);
            ADD_FAILURE() << bad;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.Number(), kErrSubscript);
        }
    }
}

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
    testing::TempFolder root;
    const std::wstring song = root / L"歌 A", other = root / L"B", loose = root / L"loose.txt";
    CreateDirectoryW(song.c_str(), nullptr);
    CreateDirectoryW(other.c_str(), nullptr);
    testing::WriteBytes(song + L"\\song.ogg", {1});
    testing::WriteBytes(loose, {1});
    const std::pair<std::vector<std::wstring>, std::wstring> cases[] = {
        {{loose, song, other}, song},                  // the first folder among several items
        {{song + L"\\song.ogg"}, song},                // a file gives its folder
        {{loose, song + L"\\song.ogg"}, root.Path()},  // of files only, the first one's folder
        {{root / L"gone", other}, other},              // an item that is gone is passed over
        {{root / L"gone"}, L""},                       // nothing usable
        {{}, L""},
    };
    for (const auto& [items, folder] : cases) EXPECT_EQ(DroppedFolder(MakeDrop(items).Get()), folder);
    EXPECT_EQ(FolderOfDrop({{L"C:\\a.txt", false}}), L"C:\\") << "the drive itself, not its current folder";
}

}  // namespace
}  // namespace tavrin
