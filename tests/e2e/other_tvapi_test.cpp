// The real programs beside a TVAPI.dll that keeps only the library's contract (tests/other_tvapi,
// no code of ours): tunebale packs and listsmith converts with it, and what they write verifies
// and expands to the same files as with our library.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "game_folder.h"
#include "archive_check.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;

// A folder holding copies of programs and one of the two libraries.
struct Install {
    explicit Install(bool other, std::initializer_list<const wchar_t*> programs) {
        for (const wchar_t* program : programs) Copy(ProgramFolder() + program, folder / program);
        Copy(ProgramFolder() + (other ? L"..\\other-tvapi\\TVAPI.dll" : L"TVAPI.dll"), folder / L"TVAPI.dll");
    }
    static void Copy(const std::wstring& from, const std::wstring& to) {
        if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw std::runtime_error("cannot copy a program");
    }
    TempFolder folder;
};

// The archive's members as extracted files, once genpak verify found it sound.
std::map<std::wstring, Bytes> VerifiedContent(const std::wstring& archive) {
    EXPECT_EQ(VerifyFaults(archive), "");
    return ExtractedFiles(archive);
}

// The same song folder under a fresh root: CJK names, a sub-folder beside a file of the same
// stem, an empty file, text that compresses and audio that does not.
std::wstring MakeSong(const TempFolder& root) {
    const std::wstring song = root / L"歌曲 Song";
    for (const wchar_t* folder : {L"", L"\\sub", L"\\sub\\键音"}) CreateDirectoryW((song + folder).c_str(), nullptr);
    std::mt19937 random(7);
    Bytes noise(40000);
    for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
    std::string chart;
    for (int i = 0; i < 500; ++i)
        chart += "<Note Time=\"" + std::to_string(i * 120) + "\" Lane=\"" + std::to_string(i % 7) + "\"/>\r\n";
    WriteBytes(song + L"\\song.ogg", noise);
    WriteBytes(song + L"\\sub\\键音\\kick.WAV", Bytes(noise.begin(), noise.begin() + 999));
    WriteBytes(song + L"\\chart.xml", Bytes(chart.begin(), chart.end()));
    WriteBytes(song + L"\\sub.txt", Bytes(3000, ' '));
    WriteBytes(song + L"\\empty.png", {});
    return song;
}

TEST(AnotherTvapi, TunebalePacksWhatOursPacks) {
    for (const wchar_t* switches : {L"-cpr", L"-cprx"}) {
        SCOPED_TRACE(std::string(switches, switches + wcslen(switches)));
        Install ours(false, {L"tunebale.exe"}), theirs(true, {L"tunebale.exe"});
        TempFolder ourRoot, theirRoot;
        const std::wstring ourSong = MakeSong(ourRoot), theirSong = MakeSong(theirRoot);
        for (const auto& [install, song] : {std::pair{&ours, ourSong}, std::pair{&theirs, theirSong}}) {
            RunningProgram tunebale(L"\"" + (install->folder / L"tunebale.exe") + L"\" " + switches + L" \"" + song +
                                    L"\"");
            EXPECT_EQ(tunebale.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
        }
        for (const wchar_t* ext : {L".pak", L".tvn"}) {
            const auto expected = VerifiedContent(ourSong + ext);
            EXPECT_FALSE(expected.empty());
            EXPECT_EQ(VerifiedContent(theirSong + ext), expected);
        }
        // The other library's plain greedy parse gives other bytes: it really did the packing. And
        // what shrinks is stored compressed, though its compressors' results say "failed".
        EXPECT_NE(ReadBytes(theirSong + L".tvn"), ReadBytes(ourSong + L".tvn"));
        const std::string listing = ListArchive(theirSong + L".tvn");
        EXPECT_NE(listing.find(switches == std::wstring(L"-cprx") ? " lzss-xor " : " lzss "), std::string::npos)
            << listing;
        std::map<std::wstring, Bytes> both = VerifiedContent(theirSong + L".pak");
        both.merge(VerifiedContent(theirSong + L".tvn"));
        std::map<std::wstring, Bytes> source;
        for (auto& [path, bytes] : FileTree(theirSong)) source[L"歌曲 Song\\" + path] = bytes;
        EXPECT_EQ(both, source);
    }
}

// Converts a game in its folder with listsmith.exe and the given library; the descriptors written.
std::map<std::wstring, Bytes> ConvertGame(bool otherLibrary) {
    Install game(otherLibrary, {L"listsmith.exe"});
    GameFolder files(game.folder.Path());
    std::vector<ListSong> list;
    for (int i = 0; i < 3; ++i) {
        const std::wstring id = std::to_wstring(101 + i), folder = i == 2 ? L"歌曲" : L"Song" + std::to_wstring(i);
        list.push_back({id, L"第" + id, L"zal_image/img_music/" + id + L".png", L"zal_song/" + id + L".xml"});
    }
    files.Archive(L"zal_script.pak", {{L"zal_script/music.txt", Ansi(MusicListText(list))}});
    files.Archive(L"zal_song.pak", {{L"zal_song/101.xml", Ansi(SongFileText(L"Song0/a.ogg"))},
                                    {L"zal_song/102.xml", Ansi(SongFileText(L"Song1/b.ogg"))},
                                    {L"zal_song/103.xml", Ansi(SongFileText(L"歌曲/c.ogg"))}});
    files.Archive(L"zal_image.pak", {{L"zal_image/img_music/101.png", ImageBytes(1, 6000)},
                                     {L"zal_image/img_music/103.png", ImageBytes(3, 900, true)}});
    files.Archive(L"zal_image007.pak", {{L"zal_image/img_music/102.png", ImageBytes(2, 2500)}});
    const std::wstring music = game.folder / L"zal_music";
    CreateDirectoryW(music.c_str(), nullptr);

    RunningProgram listsmith(L"\"" + (game.folder / L"listsmith.exe") + L"\"", game.folder.Path());
    HWND window = WaitForTopWindow(listsmith.ProcessId(), L"TavrinListsmithMain", kTimeoutMs);
    EXPECT_NE(window, nullptr);
    if (!window) return {};
    ClickButton(GetDlgItem(window, 202));
    std::optional<MessageBoxInfo> question = WaitForMessageBox(listsmith.ProcessId(), kTimeoutMs);
    EXPECT_TRUE(question.has_value());
    if (!question) return {};
    PressButton(question->hwnd, IDYES);
    // Until the question is gone, a look for a message box would find it again.
    EXPECT_TRUE(WaitForWindowGone(question->hwnd, kTimeoutMs));
    const ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (WindowText(GetDlgItem(window, 203)) != L"转换完毕,请退出!" && GetTickCount64() < deadline) {
        if (std::optional<MessageBoxInfo> box = WaitForMessageBox(listsmith.ProcessId(), 50)) {
            ADD_FAILURE() << "listsmith stopped with a message of " << box->text.size() << " characters";
            PressButton(box->hwnd, IDOK);
            break;
        }
    }
    EXPECT_EQ(WindowText(GetDlgItem(window, 205)), L"");  // an empty log: nothing went wrong
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(listsmith.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    return FileTree(music);
}

TEST(AnotherTvapi, ListsmithConvertsWhatOursConverts) {
    const auto ours = ConvertGame(false), theirs = ConvertGame(true);
    ASSERT_EQ(ours.size(), 3u);
    ASSERT_EQ(theirs.size(), 3u);
    for (const auto& [name, bytes] : ours) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        ASSERT_TRUE(theirs.count(name));
        EXPECT_NE(theirs.at(name), bytes);  // another compressor's streams
        TempFolder scratch;
        WriteBytes(scratch / L"ours.tvn", bytes);
        WriteBytes(scratch / L"theirs.tvn", theirs.at(name));
        const auto expected = VerifiedContent(scratch / L"ours.tvn");
        EXPECT_GE(expected.size(), 3u);
        EXPECT_EQ(VerifiedContent(scratch / L"theirs.tvn"), expected);
    }
}

}  // namespace
}  // namespace tavrin::testing
