// The real tunebale.exe: its window against its twips, the Pack button with its questions and
// completion message, command mode with its switch letters, Unicode folder names, and failures.
#include <windows.h>

#include <gtest/gtest.h>

#include "support.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;
using Bytes = std::vector<uint8_t>;
const Bytes kOld{'O', 'L', 'D'};

std::wstring Tunebale(const std::wstring& arguments) { return L"\"" + ProgramFolder() + L"tunebale.exe\"" + arguments; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Question(const std::wstring& output) { return L"文件 " + output + L" 已存在,是否覆盖?"; }

// Audio (song.ogg, 键音\kick.WAV) for the archive, the rest (chart.xml, cover.png, empty.png) for the descriptor.
struct SongFolder {
    explicit SongFolder(const std::wstring& name) : path_(root_ / name) {
        for (const wchar_t* folder : {L"", L"\\键音"}) CreateDirectoryW((path_ + folder).c_str(), nullptr);
        std::string chart;
        for (int i = 0; i < 400; ++i) chart += "<Note Time=\"" + std::to_string(i * 240) + "\" Lane=\"3\"/>\r\n";
        WriteBytes(path_ + L"\\chart.xml", Bytes(chart.begin(), chart.end()));
        WriteBytes(path_ + L"\\song.ogg", Bytes(3000, 0x5A));
        WriteBytes(path_ + L"\\键音\\kick.WAV", {'R', 'I', 'F', 'F'});
        WriteBytes(path_ + L"\\cover.png", {0x89, 'P', 'N', 'G'});
        WriteBytes(path_ + L"\\empty.png", {});
        SetFileAttributesW((path_ + L"\\键音").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);  // packed too
    }
    TempFolder root_;
    const std::wstring path_, pak = path_ + L".pak", tvn = path_ + L".tvn";
    // genpak verify, then each member extracted against its source.
    void ExpectHolds(bool audio) const {
        const std::wstring archive = audio ? pak : tvn, base = path_.substr(path_.rfind(L'\\') + 1);
        EXPECT_EQ(VerifyFaults(archive), "");
        auto extracted = ExtractedFiles(archive);
        for (const wchar_t* member : audio ? std::vector{L"song.ogg", L"键音\\kick.WAV"}
                                           : std::vector{L"chart.xml", L"cover.png", L"empty.png"})
            EXPECT_EQ(extracted[base + L"\\" + member], ReadBytes(path_ + L"\\" + member));
    }
};

// Silent packs ending with 0: the switch letters choose the outputs ("c" and a lower-case "p" or "r"),
// "x" the XOR method; any folder name; our library, and one with only its contract (tests/other_tvapi).
TEST(CommandMode, SwitchLettersChooseTheOutputsWithEitherLibrary) {
    // Switches, folder, the outputs, and whether to run with the other library (names in code page 936).
    const std::tuple<const wchar_t*, const wchar_t*, bool, bool, bool> cases[] = {
        {L"-cpr", L"歌曲 Song", true, true, true},      {L"-cprx", L"歌曲 Song", true, true, true},
        {L"-cp", L"歌曲 一", true, false, false},       {L"-cr", L"한국어 노래", false, true, false},
        {L"/rpcx", L"🎵 Emoji Song", true, true, false}, {L"-CPR", L"Song", false, false, false},
        {L"-pr", L"Song", false, false, false}};
    for (const auto& [switches, folder, pak, tvn, withOther] : cases) {
        Bytes oursTvn;
        for (bool other : {false, true}) {
            if (other && !withOther) break;
            SCOPED_TRACE(Utf8(switches) + (other ? " with the other library" : ""));
            const wchar_t* library = other ? L"..\\other-tvapi\\TVAPI.dll" : L"TVAPI.dll";
            SongFolder song(folder);
            TempFolder copy;  // the program beside the library
            CopyFileW((ProgramFolder() + L"tunebale.exe").c_str(), (copy / L"tunebale.exe").c_str(), FALSE);
            CopyFileW((ProgramFolder() + library).c_str(), (copy / L"TVAPI.dll").c_str(), FALSE);
            RunningProgram program(L"\"" + (copy / L"tunebale.exe") + L"\" " + switches + L" \"" + song.path_ + L"\"");
            EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
            EXPECT_EQ(std::tuple(Exists(song.pak), Exists(song.tvn), Exists(song.path_ + L".tmp")),
                      std::tuple(pak, tvn, false));
            for (bool audio : {true, false})
                if (audio ? pak : tvn) song.ExpectHolds(audio);
            // What shrinks is stored compressed, though the other library's results say "failed".
            std::ostringstream methods;  // genpak list
            if (tvn) ::genpak::tool::Run({L"list", song.tvn}, methods, methods);
            const bool x = wcschr(switches, L'x'), plain = methods.str().find(" lzss ") != std::string::npos;
            EXPECT_EQ(std::pair(plain, methods.str().find(" lzss-xor ") != std::string::npos),
                      std::pair(tvn && !x, tvn && x));
            EXPECT_TRUE(!tvn || !other || ReadBytes(song.tvn) != oursTvn) << "the other library packed too";
            if (tvn) oursTvn = ReadBytes(song.tvn);
        }
    }
}

// Failures are told and end the run with 1, the old outputs kept: a file another program is
// writing, an old output the user made read-only; a missing folder is refused by both runs.
TEST(CommandMode, FailuresAreToldAndEndWithExitCode1) {
    SongFolder song(L"Locked Song");
    for (const auto& old : {song.pak, song.tvn}) WriteBytes(old, kOld);
    SetFileAttributesW(song.tvn.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE writer =
        CreateFileW((song.path_ + L"\\键音\\kick.WAV").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    RunningProgram program(Tunebale(L" -cpr \"" + song.path_ + L"\""));
    EXPECT_EQ(Reply(program, Question(song.pak), IDYES).buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(Reply(program, L"kick.WAV", IDOK).caption, L"Tavrin歌曲打包器");
    Reply(program, Question(song.tvn), IDYES);
    Reply(program, L"只读", IDOK);
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    CloseHandle(writer);
    EXPECT_TRUE(ReadBytes(song.pak) == kOld && ReadBytes(song.tvn) == kOld);
    EXPECT_FALSE(Exists(song.path_ + L".tmp") || Exists(song.pak + L".part") || Exists(song.tvn + L".part"));
    RunningProgram missing(Tunebale(L" -cpr \"" + song.path_ + L" gone\""));
    for (int run = 0; run < 2; ++run) Reply(missing, L"Song gone", IDOK);  // the archive's run, the descriptor's
    EXPECT_EQ(missing.WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    EXPECT_FALSE(Exists(song.path_ + L" gone.pak"));
}

// The window against its twips; a lone switch (no folder) or a folder given (it waits for Pack); one
// question per old output; failures and refusals told without completion; Browse.
TEST(Window, PacksAsksTellsRefusesAndBrowses) {
    std::unique_ptr<RunningProgram> program;
    HWND window = nullptr, box = nullptr, pack = nullptr;
    auto start = [&](const std::wstring& arguments) {
        program = std::make_unique<RunningProgram>(Tunebale(arguments));
        window = WaitForTopWindow(program->ProcessId(), L"TavrinTunebaleMain", kTimeoutMs);
        ASSERT_NE(window, nullptr) << "tunebale.exe showed no window";
        box = GetDlgItem(window, 101), pack = GetDlgItem(window, 103);
    };
    auto press = [&](const std::wstring& text, int button = 103) {
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        ClickButton(GetDlgItem(window, button));
    };
    auto packEnabledAgain = [&] { return Eventually([&] { return IsWindowEnabled(pack); }); };
    auto close = [&] { EXPECT_EQ((PostMessageW(window, WM_CLOSE, 0, 0), program->WaitForExit(kTimeoutMs)), 0u); };
    start(L" -cpr");  // a lone switch: no folder, no pack
    EXPECT_EQ(WindowText(window), L"Tavrin歌曲打包程序");
    const ExpectedControl controls[] = {
        {L"Edit", L"", {1320, 120, 3855, 270}, true},
        {L"Button", L"&B.浏览...", {5280, 120, 1215, 375}, true},
        {L"Button", L"&P.打包", {2280, 600, 2055, 495}, true},
        {L"Static", L"", {120, 1200, 6495, 375}, false},
        {L"Static", L"要打包的目录:", {120, 120, 1215, 255}, false},
        {L"Static", L"用鼠标右键打包完全支持Unicode哦!", {120, 480, 1572, 612}, false},
    };
    ExpectForm(window, 6708, 1704, controls);
    EXPECT_FALSE(program->WaitForExit(500));
    close();
    SongFolder song(L"Dropped Song");
    start(L" \"" + song.path_ + L"\"");  // as Explorer starts it for a folder dropped on its icon
    EXPECT_EQ(WindowText(box), song.path_);
    EXPECT_FALSE(Exists(song.pak));
    ClickButton(pack);
    const auto done = Reply(*program, L"打包完成!", IDOK);  // no question first
    EXPECT_TRUE(done.caption + done.text == L"Tavrin歌曲打包器打包完成!" && done.buttons == std::vector{IDOK});
    song.ExpectHolds(true);
    EXPECT_NE(WindowText(GetDlgItem(window, 104)).find(L"Dropped Song/"), std::wstring::npos);
    for (const auto& old : {song.pak, song.tvn}) WriteBytes(old, kOld);
    press(song.path_ + L"/");  // a trailing separator packs as the clean path
    Reply(*program, Question(song.pak), IDNO);
    EXPECT_FALSE(IsWindowEnabled(pack));  // for the whole run, questions included
    Reply(*program, Question(song.tvn), IDYES);
    Reply(*program, L"打包完成!", IDOK);
    EXPECT_TRUE(packEnabledAgain());
    EXPECT_EQ(ReadBytes(song.pak), kOld);
    song.ExpectHolds(false);
    DeleteFileW(song.pak.c_str());
    HANDLE writer =
        CreateFileW((song.path_ + L"\\song.ogg").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    press(song.path_);
    Reply(*program, L"song.ogg", IDOK);
    Reply(*program, Question(song.tvn), IDYES);
    EXPECT_TRUE(packEnabledAgain());
    CloseHandle(writer);
    EXPECT_FALSE(WaitForMessageBox(program->ProcessId(), 300).has_value()) << "a completion message after a failure";
    EXPECT_FALSE(Exists(song.pak));
    for (const wchar_t* refused : {L"", L"C:\\"}) {
        press(refused);
        for (int run = 0; run < 2; ++run) EXPECT_NE(Reply(*program, L"", IDOK).text, L"打包完成!");
        EXPECT_TRUE(packEnabledAgain());
    }
    press(L"typed", 102);  // Browse
    Reply(*program, L"", IDCANCEL);
    EXPECT_EQ(WindowText(box), L"typed");
    press(L"typed", 102);
    Reply(*program, L"", IDOK);  // the preselected folder: the program's own
    const std::wstring folder = ProgramFolder().substr(0, ProgramFolder().size() - 1);
    EXPECT_TRUE(Eventually([&] { return _wcsicmp(WindowText(box).c_str(), folder.c_str()) == 0; }));
    close();
}

}  // namespace
}  // namespace tavrin::testing
