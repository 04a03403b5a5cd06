// The real tunebale.exe: its window against its twips, the Pack button with its questions and
// completion message, command mode with its switch letters, Unicode folder names, and failures.
#include <windows.h>

#include <gtest/gtest.h>

#include "archive_check.h"
#include "form_expectations.h"
#include "system_error.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;
using Bytes = std::vector<uint8_t>;
const Bytes kOld{'O', 'L', 'D'};

std::wstring Tunebale(const std::wstring& arguments) { return L"\"" + ProgramFolder() + L"tunebale.exe\"" + arguments; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The process's next message box, whose text must hold `part`, answered with `button`; waits until
// the box is gone, so the next look finds the next box.
std::optional<MessageBoxInfo> Reply(const RunningProgram& program, const std::wstring& part, int button) {
    auto box = WaitForMessageBox(program.ProcessId(), kTimeoutMs);
    EXPECT_TRUE(box && box->text.find(part) != std::wstring::npos) << Utf8(part);
    EXPECT_TRUE(!box || (PressButton(box->hwnd, button), WaitForWindowGone(box->hwnd, kTimeoutMs)));
    return box;
}
std::wstring Question(const std::wstring& output) { return L"文件 " + output + L" 已存在,是否覆盖?"; }

bool Eventually(const std::function<bool()>& condition) {
    for (const ULONGLONG deadline = GetTickCount64() + kTimeoutMs; !condition(); Sleep(20))
        if (GetTickCount64() > deadline) return false;
    return true;
}

// Audio (song.ogg, keys\kick.wav) for the archive, the rest (chart.xml, cover.png) for the descriptor.
struct SongFolder {
    explicit SongFolder(const std::wstring& name) : path_(root_ / name) {
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\keys").c_str(), nullptr);
        std::string chart;
        for (int i = 0; i < 400; ++i) chart += "<Note Time=\"" + std::to_string(i * 240) + "\" Lane=\"3\"/>\r\n";
        WriteBytes(path_ + L"\\chart.xml", Bytes(chart.begin(), chart.end()));
        WriteBytes(path_ + L"\\song.ogg", Bytes(3000, 0x5A));
        WriteBytes(path_ + L"\\keys\\kick.wav", {'R', 'I', 'F', 'F'});
        WriteBytes(path_ + L"\\cover.png", {0x89, 'P', 'N', 'G'});
        SetFileAttributesW((path_ + L"\\keys").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);  // packed too
    }
    TempFolder root_;
    std::wstring path_;
    std::wstring Pak() const { return path_ + L".pak"; }
    std::wstring Tvn() const { return path_ + L".tvn"; }
    // genpak verify, then each member extracted against its source.
    void ExpectHolds(bool pak) const {
        const std::wstring archive = pak ? Pak() : Tvn(), base = path_.substr(path_.rfind(L'\\') + 1);
        EXPECT_EQ(VerifyFaults(archive), "");
        auto extracted = ExtractedFiles(archive);
        for (const wchar_t* member :
             pak ? std::vector{L"song.ogg", L"keys\\kick.wav"} : std::vector{L"chart.xml", L"cover.png"})
            EXPECT_EQ(extracted[base + L"\\" + member], ReadBytes(path_ + L"\\" + member));
    }
};

// Silent packs that end the program with 0: the switch letters choose the outputs ("c" and one
// lower-case "p" or "r" at least), "x" the XOR method, any folder name.
TEST(CommandMode, SwitchLettersChooseTheOutputs) {
    const std::tuple<const wchar_t*, const wchar_t*, bool, bool> cases[] = {
        {L"-cpr", L"My Song 1", true, true},   {L"-cp", L"歌曲 一", true, false},
        {L"-cr", L"한국어 노래", false, true}, {L"/rpcx", L"🎵 Emoji Song", true, true},
        {L"-CPR", L"Song", false, false},      {L"-pr", L"Song", false, false}};
    for (const auto& [switches, folder, pak, tvn] : cases) {
        SCOPED_TRACE(std::string(switches, switches + wcslen(switches)));
        SongFolder song(folder);
        RunningProgram program(Tunebale(std::wstring(L" ") + switches + L" \"" + song.path_ + L"\""));
        EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
        EXPECT_EQ(Exists(song.Pak()), pak);
        EXPECT_EQ(Exists(song.Tvn()), tvn);
        if (pak) song.ExpectHolds(true);
        if (tvn) song.ExpectHolds(false);
        EXPECT_EQ(tvn && ListArchive(song.Tvn()).find(" lzss-xor ") != std::string::npos,
                  tvn && wcschr(switches, L'x'));
        EXPECT_FALSE(Exists(song.path_ + L".tmp"));
    }
}

// Failures are told and end the run with 1, the old outputs kept: a file another program is
// writing, an old output the user made read-only; a missing folder is refused by both runs.
TEST(CommandMode, FailuresAreToldAndEndWithExitCode1) {
    SongFolder song(L"Locked Song");
    WriteBytes(song.Pak(), kOld);
    WriteBytes(song.Tvn(), kOld);
    SetFileAttributesW(song.Tvn().c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE writer =
        CreateFileW((song.path_ + L"\\keys\\kick.wav").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    RunningProgram program(Tunebale(L" -cpr \"" + song.path_ + L"\""));
    EXPECT_EQ(Reply(program, Question(song.Pak()), IDYES).value_or(MessageBoxInfo{}).buttons,
              (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(Reply(program, L"kick.wav", IDOK).value_or(MessageBoxInfo{}).caption, L"Tavrin歌曲打包器");
    Reply(program, Question(song.Tvn()), IDYES);
    Reply(program, L"只读", IDOK);
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    CloseHandle(writer);
    SetFileAttributesW(song.Tvn().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(ReadBytes(song.Pak()) == kOld && ReadBytes(song.Tvn()) == kOld);
    EXPECT_FALSE(Exists(song.path_ + L".tmp") || Exists(song.Pak() + L".part") || Exists(song.Tvn() + L".part"));

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
    auto close = [&] {
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    };
    start(L"");
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
    close();
    start(L" -cpr");
    EXPECT_EQ(WindowText(box), L"");
    EXPECT_EQ(program->WaitForExit(500), std::nullopt);
    close();
    SongFolder song(L"Dropped Song");
    start(L" \"" + song.path_ + L"\"");  // as Explorer starts it for a folder dropped on its icon
    EXPECT_EQ(WindowText(box), song.path_);
    EXPECT_FALSE(Exists(song.Pak()));
    ClickButton(pack);
    const auto done = Reply(*program, L"打包完成!", IDOK).value_or(MessageBoxInfo{});  // no question first
    EXPECT_EQ(done.caption + done.text, L"Tavrin歌曲打包器打包完成!");
    EXPECT_EQ(done.buttons, (std::vector<int>{IDOK}));
    song.ExpectHolds(true);
    EXPECT_NE(WindowText(GetDlgItem(window, 104)).find(L"Dropped Song/"), std::wstring::npos);

    WriteBytes(song.Pak(), kOld);
    WriteBytes(song.Tvn(), kOld);
    press(song.path_ + L"/");  // a trailing separator packs as the clean path
    Reply(*program, Question(song.Pak()), IDNO);
    EXPECT_FALSE(IsWindowEnabled(pack));  // for the whole run, questions included
    Reply(*program, Question(song.Tvn()), IDYES);
    Reply(*program, L"打包完成!", IDOK);
    EXPECT_TRUE(packEnabledAgain());
    EXPECT_EQ(ReadBytes(song.Pak()), kOld);
    song.ExpectHolds(false);

    DeleteFileW(song.Pak().c_str());
    HANDLE writer =
        CreateFileW((song.path_ + L"\\song.ogg").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    press(song.path_);
    Reply(*program, L"song.ogg", IDOK);
    Reply(*program, Question(song.Tvn()), IDYES);
    EXPECT_TRUE(packEnabledAgain());
    CloseHandle(writer);
    EXPECT_FALSE(WaitForMessageBox(program->ProcessId(), 300).has_value()) << "a completion message after a failure";
    EXPECT_FALSE(Exists(song.Pak()));
    song.ExpectHolds(false);
    for (const wchar_t* refused : {L"", L"C:\\"}) {
        press(refused);
        for (int run = 0; run < 2; ++run)
            EXPECT_NE(Reply(*program, L"", IDOK).value_or(MessageBoxInfo{}).text, L"打包完成!");
        EXPECT_TRUE(packEnabledAgain());
    }

    press(L"typed", 102);
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
