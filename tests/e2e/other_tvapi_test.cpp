// The real programs beside a TVAPI.dll that keeps only the library's contract (tests/other_tvapi,
// no code of ours): tunebale packs and listsmith converts with it, and what they write verifies
// and expands to the same files as with our library.
#include <gtest/gtest.h>

#include <random>

#include "game_folder.h"
#include "support.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;

// A folder holding copies of a program and of our library (other: the other one).
struct Install : TempFolder {
    Install(int other, const std::wstring& program) {
        const std::wstring library = other ? L"..\\other-tvapi\\TVAPI.dll" : L"TVAPI.dll";
        // A copy that failed shows as a program that does not start or run.
        CopyFileW((ProgramFolder() + program).c_str(), (*this / program).c_str(), FALSE);
        CopyFileW((ProgramFolder() + library).c_str(), (*this / L"TVAPI.dll").c_str(), FALSE);
    }
};

// The archive's members as extracted files, once genpak verify found it sound.
std::map<std::wstring, Bytes> Verified(const std::wstring& archive) {
    EXPECT_EQ(VerifyFaults(archive), "");
    return ExtractedFiles(archive);
}

TEST(AnotherTvapi, TunebalePacksWhatOursPacks) {
    for (const std::wstring switches : {L"-cpr", L"-cprx"}) {
        SCOPED_TRACE(Utf8(switches));
        TempFolder roots[2];
        std::wstring songs[2];
        std::map<std::wstring, Bytes> packed[2];  // by library, each member under its archive's type
        for (int other : {0, 1}) {
            // CJK names, a sub-folder beside a file of the same stem, an empty file, text that
            // compresses and audio that does not.
            const std::wstring song = songs[other] = roots[other] / L"歌曲 Song";
            for (const wchar_t* folder : {L"", L"\\sub", L"\\sub\\键音"}) CreateDirectoryW((song + folder).c_str(), 0);
            std::mt19937 random(7);
            Bytes noise(40000);
            for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
            std::string chart;
            for (int i = 0; i < 500; ++i) chart += "<Note Time=\"" + std::to_string(i * 120) + "\" Lane=\"1\"/>\r\n";
            WriteBytes(song + L"\\song.ogg", noise);
            WriteBytes(song + L"\\sub\\键音\\kick.WAV", Bytes(noise.begin(), noise.begin() + 999));
            WriteBytes(song + L"\\chart.xml", Bytes(chart.begin(), chart.end()));
            WriteBytes(song + L"\\sub.txt", Bytes(3000, ' '));
            WriteBytes(song + L"\\empty.png", {});
            Install install(other, L"tunebale.exe");
            RunningProgram tunebale(L"\"" + (install / L"tunebale.exe") + L"\" " + switches + L" \"" + song + L"\"");
            EXPECT_EQ(tunebale.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
            for (const std::wstring type : {L".pak", L".tvn"})
                for (auto& [path, bytes] : Verified(song + type)) packed[other][type + path] = bytes;
        }
        EXPECT_TRUE(packed[1] == packed[0] && packed[0].size() == 5);
        // The other library's plain greedy parse gives other bytes: it really did the packing. And
        // what shrinks is stored compressed, though its compressors' results say "failed".
        EXPECT_NE(ReadBytes(songs[1] + L".tvn"), ReadBytes(songs[0] + L".tvn"));
        const std::string listing = ListArchive(songs[1] + L".tvn");
        EXPECT_NE(listing.find(switches == L"-cprx" ? " lzss-xor " : " lzss "), std::string::npos) << listing;
    }
}

// Converts a game in its folder with listsmith.exe and a library into the descriptors written.
void ConvertGame(int other, std::map<std::wstring, Bytes>& written) {
    Install game(other, L"listsmith.exe");
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
    std::optional<MessageBoxInfo> question = WaitForMessageBox(listsmith.ProcessId(), kTimeoutMs);
    ASSERT_TRUE(question);  // until it is gone, a look for a message box would find it again
    EXPECT_TRUE((PressButton(question->hwnd, IDYES), WaitForWindowGone(question->hwnd, kTimeoutMs)));
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
    ConvertGame(0, ours);
    ConvertGame(1, theirs);
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
