// The real tunebale.exe packing real folders: the Pack button with its questions and completion
// message, command mode with its switch letters, Unicode folder names, and failures.
#include <windows.h>

#include <gtest/gtest.h>

#include "archive_check.h"
#include "temp_folder.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 60000;
using Bytes = std::vector<uint8_t>;

std::wstring Tunebale() { return L"\"" + ProgramFolder() + L"tunebale.exe\""; }

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Chart() {
    std::string s;
    for (int i = 0; i < 400; ++i)
        s += "<Note Time=\"" + std::to_string(i * 240) + "\" Lane=\"" + std::to_string(i % 6) + "\"/>\r\n";
    return Text(s);
}

// genpak verify, then extract and compare every extracted file with its source.
void ExpectArchiveHolds(const std::wstring& archive, const std::wstring& songFolder,
                        const std::vector<std::wstring>& members) {
    EXPECT_EQ(VerifyFaults(archive), "");
    auto extracted = ExtractedFiles(archive);
    std::wstring base = songFolder.substr(songFolder.rfind(L'\\') + 1);
    for (const std::wstring& member : members)
        EXPECT_EQ(extracted[base + L"\\" + member], ReadBytes(songFolder + L"\\" + member))
            << std::string(member.begin(), member.end());
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Presses a button of a message box and waits until the box is gone, so the next look finds the
// next box and not this one.
void Answer(const MessageBoxInfo& box, int button) {
    PressButton(box.hwnd, button);
    EXPECT_TRUE(WaitForWindowGone(box.hwnd, kTimeoutMs));
}

// Polls until the condition holds; false when it still does not after the timeout.
template <typename F>
bool Eventually(F&& condition) {
    ULONGLONG deadline = GetTickCount64() + kTimeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(20);
    }
    return true;
}

class SongFolder {
public:
    explicit SongFolder(const std::wstring& name) : path_(root_ / name) {
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\keys").c_str(), nullptr);
        WriteBytes(path_ + L"\\song.ogg", Bytes(3000, 0x5A));
        WriteBytes(path_ + L"\\keys\\kick.wav", Text("RIFF kick"));
        WriteBytes(path_ + L"\\chart.xml", Chart());
        WriteBytes(path_ + L"\\cover.png", Text("\x89PNG image"));
    }
    const std::wstring& Path() const { return path_; }
    std::wstring Pak() const { return path_ + L".pak"; }
    std::wstring Tvn() const { return path_ + L".tvn"; }
    std::vector<std::wstring> Audio() const { return {L"song.ogg", L"keys\\kick.wav"}; }
    std::vector<std::wstring> Others() const { return {L"chart.xml", L"cover.png"}; }

private:
    TempFolder root_;
    std::wstring path_;
};

DWORD RunCommand(const std::wstring& switches, const std::wstring& folder) {
    RunningProgram program(Tunebale() + L" " + switches + L" \"" + folder + L"\"");
    std::optional<DWORD> code = program.WaitForExit(kTimeoutMs);
    EXPECT_TRUE(code.has_value()) << "tunebale did not end by itself";
    return code.value_or(99);
}

// Silent packs that end the program with 0: the switch letters choose the outputs ("c" and one
// lower-case "p" or "r" at least), "x" the XOR method, any folder name.
TEST(CommandMode, SwitchLettersChooseTheOutputs) {
    struct Case {
        const wchar_t *switches, *folder;
        bool pak, tvn;
    };
    for (const Case& c : {Case{L"-cpr", L"My Song 1", true, true}, Case{L"-cp", L"歌曲 一", true, false},
                          Case{L"-cr", L"한국어 노래", false, true}, Case{L"/rpcx", L"🎵 Emoji Song", true, true},
                          Case{L"-CPR", L"Song", false, false}, Case{L"-pr", L"Song", false, false}}) {
        SCOPED_TRACE(std::string(c.switches, c.switches + wcslen(c.switches)));
        SongFolder song(c.folder);
        EXPECT_EQ(RunCommand(c.switches, song.Path()), 0u);
        EXPECT_EQ(Exists(song.Pak()), c.pak);
        EXPECT_EQ(Exists(song.Tvn()), c.tvn);
        if (c.pak) ExpectArchiveHolds(song.Pak(), song.Path(), song.Audio());
        if (c.tvn) ExpectArchiveHolds(song.Tvn(), song.Path(), song.Others());
        const bool xorAsked = wcschr(c.switches, L'x') != nullptr;
        if (c.tvn) {
            EXPECT_EQ(ListArchive(song.Tvn()).find(" lzss-xor ") != std::string::npos, xorAsked);
        }
        EXPECT_FALSE(Exists(song.Path() + L".tmp"));
    }
}

TEST(CommandMode, FailureIsReportedAndEndsWithNonZeroCode) {
    SongFolder song(L"Locked Song");
    WriteBytes(song.Pak(), Text("OLD"));
    HANDLE writer =
        CreateFileW((song.Path() + L"\\keys\\kick.wav").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    RunningProgram program(Tunebale() + L" -cpr \"" + song.Path() + L"\"");
    auto question = WaitForMessageBox(program.ProcessId(), kTimeoutMs);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, L"文件 " + song.Pak() + L" 已存在,是否覆盖?");
    EXPECT_EQ(question->buttons, (std::vector<int>{IDYES, IDNO}));
    Answer(*question, IDYES);
    auto failure = WaitForMessageBox(program.ProcessId(), kTimeoutMs);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->text.find(L"kick.wav"), std::wstring::npos);
    EXPECT_EQ(failure->caption, L"Tavrin歌曲打包器");
    Answer(*failure, IDOK);
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    CloseHandle(writer);
    EXPECT_EQ(ReadBytes(song.Pak()), Text("OLD"));
    ExpectArchiveHolds(song.Tvn(), song.Path(), song.Others());  // the descriptor does not need the archive
    EXPECT_FALSE(Exists(song.Path() + L".tmp"));
}

TEST(CommandMode, MissingFolderIsRefusedWithAMessage) {
    TempFolder root;
    RunningProgram program(Tunebale() + L" -cpr \"" + (root / L"nothing here") + L"\"");
    for (int run = 0; run < 2; ++run) {  // the archive's run and the descriptor's each say it
        auto box = WaitForMessageBox(program.ProcessId(), kTimeoutMs);
        ASSERT_TRUE(box);
        EXPECT_NE(box->text.find(L"nothing here"), std::wstring::npos);
        Answer(*box, IDOK);
    }
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(1));
    EXPECT_FALSE(Exists(root / L"nothing here.pak"));
}

// Explorer starts the program so for a folder dropped on its icon.
TEST(FolderArgument, WaitsInTheFolderBoxUntilPackIsPressed) {
    SongFolder song(L"Dropped Song");
    RunningProgram program(Tunebale() + L" \"" + song.Path() + L"\"");
    HWND window = WaitForTopWindow(program.ProcessId(), L"TavrinTunebaleMain", kTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(window, 101)), song.Path());
    EXPECT_FALSE(Exists(song.Pak()));
    ClickButton(GetDlgItem(window, 103));
    auto done = WaitForMessageBox(program.ProcessId(), kTimeoutMs);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text, L"打包完成!") << "no overwrite question: nothing was packed before the press";
    Answer(*done, IDOK);
    EXPECT_TRUE(Exists(song.Pak()) && Exists(song.Tvn()));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}

class PackButton : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = std::make_unique<RunningProgram>(Tunebale());
        window_ = WaitForTopWindow(program_->ProcessId(), L"TavrinTunebaleMain", kTimeoutMs);
        ASSERT_NE(window_, nullptr);
        txInDir_ = GetDlgItem(window_, 101);
        cmdPak_ = GetDlgItem(window_, 103);
    }
    void TearDown() override {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        program_->WaitForExit(kTimeoutMs);
    }
    void Press(const std::wstring& folder) {
        SendMessageTimeoutW(txInDir_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
        ClickButton(cmdPak_);
    }
    MessageBoxInfo NextBox() {
        auto box = WaitForMessageBox(program_->ProcessId(), kTimeoutMs);
        if (!box) throw std::runtime_error("no message box");
        return *box;
    }
    std::unique_ptr<RunningProgram> program_;
    HWND window_ = nullptr, txInDir_ = nullptr, cmdPak_ = nullptr;
};

TEST_F(PackButton, PacksBothOutputsAndReportsCompletion) {
    SongFolder song(L"Button Song");
    Press(song.Path());
    MessageBoxInfo done = NextBox();
    EXPECT_EQ(done.text, L"打包完成!");
    EXPECT_EQ(done.caption, L"Tavrin歌曲打包器");
    EXPECT_EQ(done.buttons, (std::vector<int>{IDOK}));
    Answer(done, IDOK);
    ExpectArchiveHolds(song.Pak(), song.Path(), song.Audio());
    ExpectArchiveHolds(song.Tvn(), song.Path(), song.Others());
    EXPECT_NE(WindowText(GetDlgItem(window_, 104)).find(L"Button Song/"), std::wstring::npos);
}

TEST_F(PackButton, NoKeepsOneOutputYesReplacesTheOtherAndTheButtonWaits) {
    SongFolder song(L"Asked Song");
    WriteBytes(song.Pak(), Text("OLD PAK"));
    WriteBytes(song.Tvn(), Text("OLD TVN"));
    Press(song.Path());
    MessageBoxInfo first = NextBox();
    EXPECT_EQ(first.text, L"文件 " + song.Pak() + L" 已存在,是否覆盖?");
    EXPECT_FALSE(IsWindowEnabled(cmdPak_));  // disabled for the whole run, questions included
    Answer(first, IDNO);
    MessageBoxInfo second = NextBox();
    EXPECT_EQ(second.text, L"文件 " + song.Tvn() + L" 已存在,是否覆盖?");
    Answer(second, IDYES);
    MessageBoxInfo done = NextBox();
    EXPECT_EQ(done.text, L"打包完成!");
    Answer(done, IDOK);
    EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(cmdPak_) != FALSE; }));
    EXPECT_EQ(ReadBytes(song.Pak()), Text("OLD PAK"));
    ExpectArchiveHolds(song.Tvn(), song.Path(), song.Others());
}

TEST_F(PackButton, AFailedArchiveIsToldTheDescriptorStillPacksAndNoCompletionFollows) {
    SongFolder song(L"Half Song");
    HANDLE writer =
        CreateFileW((song.Path() + L"\\song.ogg").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Press(song.Path());
    MessageBoxInfo failure = NextBox();
    EXPECT_NE(failure.text.find(L"song.ogg"), std::wstring::npos);
    Answer(failure, IDOK);
    EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(cmdPak_) != FALSE; }));
    CloseHandle(writer);
    EXPECT_FALSE(WaitForMessageBox(program_->ProcessId(), 300).has_value()) << "a completion message after a failure";
    EXPECT_FALSE(Exists(song.Pak()));
    ExpectArchiveHolds(song.Tvn(), song.Path(), song.Others());
}

TEST_F(PackButton, EmptyFolderBoxIsRefusedWithoutCompletionMessage) {
    Press(L"");
    for (int run = 0; run < 2; ++run) {
        MessageBoxInfo box = NextBox();
        EXPECT_NE(box.text, L"打包完成!");
        Answer(box, IDOK);
    }
    EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(cmdPak_) != FALSE; }));
    EXPECT_FALSE(WaitForMessageBox(program_->ProcessId(), 300).has_value());
}

TEST_F(PackButton, BrowseOpensOnTheProgramsFolderAndCancelKeepsTheBox) {
    SendMessageTimeoutW(txInDir_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"), SMTO_ABORTIFHUNG, 5000, nullptr);
    ClickButton(GetDlgItem(window_, 102));
    MessageBoxInfo picker = NextBox();
    Answer(picker, IDCANCEL);
    EXPECT_EQ(WindowText(txInDir_), L"typed");

    ClickButton(GetDlgItem(window_, 102));
    picker = NextBox();
    Answer(picker, IDOK);  // the preselected folder: the program's own
    std::wstring folder = ProgramFolder();
    folder.pop_back();
    EXPECT_TRUE(Eventually([&] { return _wcsicmp(WindowText(txInDir_).c_str(), folder.c_str()) == 0; }))
        << std::string(folder.begin(), folder.end());
}

}  // namespace
}  // namespace tavrin::testing
