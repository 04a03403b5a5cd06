// listsmith.exe beside a TVAPI.dll that keeps only the library's contract (tests/other_tvapi): what it
// converts verifies and expands as with our library. tunebale with it: tunebale_pack_test.cpp.
#include <gtest/gtest.h>

#include "game_folder.h"
#include "support.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;

// The archive's members as extracted files, once genpak verify found it sound.
std::map<std::wstring, Bytes> Verified(const std::wstring& archive) {
    EXPECT_EQ(VerifyFaults(archive), "");
    return ExtractedFiles(archive);
}

// Converts a game in its folder with a copy of listsmith.exe beside a library (other: the other one)
// into the descriptors written. A copy that failed shows as a program that does not start or run.
void ConvertGame(bool other, std::map<std::wstring, Bytes>& written) {
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
    written = FileTree(game / L"zal_music");
}

TEST(AnotherTvapi, ListsmithConvertsWhatOursConverts) {
    std::map<std::wstring, Bytes> ours, theirs;
    ConvertGame(false, ours);
    ConvertGame(true, theirs);
    ASSERT_TRUE(ours.size() == 3 && theirs.size() == 3);
    for (const auto& [name, bytes] : ours) {
        SCOPED_TRACE(Utf8(name));
        EXPECT_NE(theirs[name], bytes);  // another compressor's streams
        TempFolder scratch;
        WriteBytes(scratch / L"ours.tvn", bytes);
        WriteBytes(scratch / L"theirs.tvn", theirs[name]);
        const auto expected = Verified(scratch / L"ours.tvn");
        EXPECT_TRUE(expected.size() >= 3 && Verified(scratch / L"theirs.tvn") == expected);
    }
}

}  // namespace
}  // namespace tavrin::testing
