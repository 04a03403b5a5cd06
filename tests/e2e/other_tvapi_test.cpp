// listsmith.exe beside a TVAPI.dll that keeps only the library's contract (tests/other_tvapi): what it
// converts verifies and expands as with our library. tunebale with it: tunebale_pack_test.cpp.
#include <gtest/gtest.h>

#include "game_folder.h"
#include "support.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;

// A game converted by a copy of listsmith.exe beside each library (a copy that failed shows as a
// program that does not start or run): other streams from the other compressor, the same members.
TEST(AnotherTvapi, ListsmithConvertsWhatOursConverts) {
    std::map<std::wstring, Bytes> written[2];  // ours, the other library's
    for (bool other : {false, true}) {
        TempFolder game;
        const std::wstring library = ProgramFolder() + (other ? L"..\\other-tvapi\\TVAPI.dll" : L"TVAPI.dll");
        CopyFileW((ProgramFolder() + L"listsmith.exe").c_str(), (game / L"listsmith.exe").c_str(), FALSE);
        CopyFileW(library.c_str(), (game / L"TVAPI.dll").c_str(), FALSE);
        GameFolder files(game.Path());
        std::vector<ListSong> list;
        for (const std::wstring id : {L"101", L"102", L"103"})
            list.push_back({id, L"第" + id, L"zal_image/img_music/" + id + L".png", L"zal_song/" + id + L".xml"});
        files.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(list))}});
        files.Archive(L"zal_song.pak", {{L"zal_song/101.xml", Ansi(SongFileText(L"Song0/a.ogg"))},
                                        {L"zal_song/102.xml", Ansi(SongFileText(L"Song1/b.ogg"))},
                                        {L"zal_song/103.xml", Ansi(SongFileText(L"歌曲/c.ogg"))}});
        files.Archive(L"zal_image.pak", {{L"zal_image/img_music/101.png", ImageBytes(1, 6000)},
                                         {L"zal_image/img_music/103.png", ImageBytes(3, 900, true)}});
        files.Archive(L"zal_image007.pak", {{L"zal_image/img_music/102.png", ImageBytes(2, 2500)}});
        CreateDirectoryW((game / L"zal_music").c_str(), nullptr);
        RunningProgram listsmith(L"\"" + (game / L"listsmith.exe") + L"\"", game.Path());
        HWND window = WaitForTopWindow(listsmith.ProcessId(), L"TavrinListsmithMain", kTimeoutMs);
        ASSERT_NE(window, nullptr);
        ClickButton(GetDlgItem(window, 202));
        Reply(listsmith, L"", IDYES);  // the question whether to convert
        for (const ULONGLONG end = GetTickCount64() + kTimeoutMs; GetTickCount64() < end;) {
            if (WindowText(GetDlgItem(window, 203)) == L"转换完毕,请退出!") break;
            const std::optional<MessageBoxInfo> box = WaitForMessageBox(listsmith.ProcessId(), 50);
            ASSERT_FALSE(box) << Utf8(box->text);
        }
        EXPECT_EQ(WindowText(GetDlgItem(window, 205)), L"");  // an empty log: nothing went wrong
        EXPECT_EQ((PostMessageW(window, WM_CLOSE, 0, 0), listsmith.WaitForExit(kTimeoutMs)), 0u);
        written[other] = FileTree(game / L"zal_music");
    }
    ASSERT_TRUE(written[0].size() == 3 && written[1].size() == 3);
    for (const auto& [name, bytes] : written[0]) {
        SCOPED_TRACE(Utf8(name));
        EXPECT_NE(written[1][name], bytes);
        TempFolder scratch;
        std::map<std::wstring, Bytes> members[2];
        for (int i : {0, 1}) {
            WriteBytes(scratch / L"d.tvn", written[i][name]);
            EXPECT_EQ(VerifyFaults(scratch / L"d.tvn"), "");
            members[i] = ExtractedFiles(scratch / L"d.tvn");
        }
        EXPECT_TRUE(members[0].size() >= 3 && members[1] == members[0]);
    }
}

}  // namespace
}  // namespace tavrin::testing
