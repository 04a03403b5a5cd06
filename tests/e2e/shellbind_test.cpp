// The real shellbind.exe: its start-up checks beside different packers, its window, and the loop a
// user lives through: register, right-click a folder (the registered command run as Explorer runs
// it), get both archives, remove the commands again.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "temp_folder.h"
#include "form_expectations.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr DWORD kPackTimeoutMs = 60000;
constexpr wchar_t kEnvClass[] = L"TavrinShellbindEnv";
constexpr wchar_t kTitle[] = L"tunebale环境设置工具";
constexpr wchar_t kNoPacker[] = L"请将程序放入tunebale目录内运行!";
constexpr wchar_t kTooOld[] = L"您的歌曲打包程序版本低于37,无法使用本程序!";
constexpr wchar_t kNoVersion[] = L"此文件没有版本信息!";
constexpr wchar_t kRegistered[] = L"设置成功,您可以右击文件夹选择打包了";
constexpr wchar_t kWriteFailed[] = L"写入注册表时出错,请检查您是否有权限操作注册表!";
constexpr wchar_t kRemoved[] = L"清除歌曲打包程序环境成功";
constexpr wchar_t kInfoCaption[] = L"检测到你的tunebale.exe的版本为 ";

std::string Narrow(const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The default value of a key under HKEY_CLASSES_ROOT; nullopt when the key or value is missing.
std::optional<std::wstring> ClassesDefault(const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::wstring> value;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
        std::wstring text(size / sizeof(wchar_t), L'\0');
        if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) ==
            ERROR_SUCCESS) {
            text.resize(size / sizeof(wchar_t));
            if (!text.empty() && text.back() == L'\0') text.pop_back();
            value = text;
        }
    }
    RegCloseKey(key);
    return value;
}

bool ClassesKeyExists(const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void CreateClassesKey(const std::wstring& subKey, DWORD options = REG_OPTION_NON_VOLATILE) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << Narrow(subKey);
    RegCloseKey(key);
}

std::vector<std::wstring> ParseCommand(const std::wstring& command) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(command.c_str(), &count);
    std::vector<std::wstring> tokens(args, args + (args ? count : 0));
    LocalFree(args);
    return tokens;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Presses OK on the next message box of the program and checks it is the expected one, with the
// registrar's title and no other button.
void ExpectMessage(DWORD processId, const wchar_t* text) {
    std::optional<MessageBoxInfo> box = WaitForMessageBox(processId, kTimeoutMs);
    ASSERT_TRUE(box) << "no message box; expected " << Narrow(text);
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->caption, kTitle);
    EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
    PressButton(box->hwnd, IDOK);
    EXPECT_TRUE(WaitForWindowGone(box->hwnd, kTimeoutMs));
}

// A folder with a space and Chinese in its name, holding shellbind.exe and whatever the test
// puts beside it as tunebale.exe.
class RegistrarFolder {
public:
    RegistrarFolder() : path_(root_ / L"工具 目录") {
        CreateDirectoryW(path_.c_str(), nullptr);
        Copy(L"shellbind.exe", L"shellbind.exe");
    }
    void Copy(const std::wstring& from, const std::wstring& to) {
        ASSERT_TRUE(CopyFileW((ProgramFolder() + from).c_str(), (path_ + L"\\" + to).c_str(), FALSE)) << Narrow(from);
    }
    std::wstring Packer() const { return path_ + L"\\tunebale.exe"; }
    std::unique_ptr<RunningProgram> Start() const {
        return std::make_unique<RunningProgram>(Quoted(path_ + L"\\shellbind.exe"), path_);
    }

private:
    TempFolder root_;
    std::wstring path_;
};

TEST(ShellbindStart, RefusesAMissingHiddenOrTooOldPackerAndAcceptsRevision37) {
    const struct {
        const wchar_t* packer;  // copied in as tunebale.exe; nullptr: a folder of that name
        DWORD attributes;
        std::vector<const wchar_t*> messages;
    } cases[] = {
        {L"", 0, {kNoPacker}},
        {L"tunebale.exe", FILE_ATTRIBUTE_HIDDEN, {kNoPacker}},
        {nullptr, 0, {kNoPacker}},
        {L"tv_fake_packer_36.exe", 0, {kTooOld}},
        {L"tv_fake_packer_plain.exe", 0, {kNoVersion, kTooOld}},  // both messages in a row
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.packer ? c.packer : L"a folder"));
        RegistrarFolder folder;
        if (c.packer == nullptr) CreateDirectoryW(folder.Packer().c_str(), nullptr);
        if (c.packer != nullptr && *c.packer != 0) folder.Copy(c.packer, L"tunebale.exe");
        if (c.attributes != 0) SetFileAttributesW(folder.Packer().c_str(), c.attributes);
        // The messages come one after the other while no window is shown, then the program ends.
        std::unique_ptr<RunningProgram> program = folder.Start();
        for (const wchar_t* text : c.messages) {
            ASSERT_TRUE(WaitForMessageBox(program->ProcessId(), kTimeoutMs)) << Narrow(text);
            EXPECT_EQ(WaitForTopWindow(program->ProcessId(), kEnvClass, 0), nullptr) << "the window stays hidden";
            ExpectMessage(program->ProcessId(), text);
        }
        EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0)) << "the program ends";
        SetFileAttributesW(folder.Packer().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // Revision 37 passes whatever the other components.
    RegistrarFolder folder;
    folder.Copy(L"tv_fake_packer_37.exe", L"tunebale.exe");
    std::unique_ptr<RunningProgram> program = folder.Start();
    HWND window = WaitForTopWindow(program->ProcessId(), kEnvClass, kTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Controls(window).at(2).text, std::wstring(kInfoCaption) + L"9.8.7.37");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}

// shellbind.exe beside the real tunebale.exe in the build's program folder.
class ShellbindWindow : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = std::make_unique<RunningProgram>(Quoted(ProgramFolder() + L"shellbind.exe"));
        window_ = WaitForTopWindow(program_->ProcessId(), kEnvClass, kTimeoutMs);
        ASSERT_NE(window_, nullptr) << "shellbind.exe showed no window";
    }
    void TearDown() override {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (program_) {
            EXPECT_EQ(program_->WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
        }
    }
    void Press(int index, const wchar_t* expectedMessage) {
        std::vector<ControlInfo> controls = Controls(window_);
        ASSERT_EQ(controls.size(), 3u);
        ClickButton(controls[static_cast<size_t>(index)].hwnd);
        ExpectMessage(program_->ProcessId(), expectedMessage);
    }
    void Register(const wchar_t* expectedMessage = kRegistered) { Press(0, expectedMessage); }
    void Remove() { Press(1, kRemoved); }

    std::unique_ptr<RunningProgram> program_;
    HWND window_ = nullptr;
};

TEST_F(ShellbindWindow, ShowsTheDetectedVersionAndTwoButtonsLaidOutFromTwips) {
    EXPECT_EQ(WindowText(window_), kTitle);
    const ExpectedControl expected[] = {
        {L"Button", L"注册tunebale环境", {840, 480, 3735, 495}, true},
        {L"Button", L"清除tunebale环境", {840, 960, 3735, 495}, true},
        {L"Static", std::wstring(kInfoCaption) + L"1.3.0.64", {240, 120, 4932, 252}, false},
    };
    ExpectForm(window_, 5424, 1704, expected);
}

// The verbs live in the prefix's one HKEY_CLASSES_ROOT: one test touches them, starting and
// ending with a clean state.
class ShellbindRegistry : public ShellbindWindow {
protected:
    void SetUp() override {
        Clean();
        ShellbindWindow::SetUp();
    }
    void TearDown() override {
        ShellbindWindow::TearDown();
        Clean();
    }
    static void Clean() {
        for (const wchar_t* key : {L"Directory\\shell\\tvnpak", L"Directory\\shell\\tvnpakr", L"Folder\\shell\\tvnpak",
                                   L"Folder\\shell\\tvnpakr", L".pak", L".tvn", L"PAKFile", L"TVNFile"}) {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
            RegDeleteKeyW(HKEY_CLASSES_ROOT, key);
        }
    }
    std::wstring PackerPath() const { return ProgramFolder() + L"tunebale.exe"; }
};

void ExpectRegistered(const std::wstring& packerPath) {
    EXPECT_EQ(ClassesDefault(L".pak"), L"PAKFile");
    EXPECT_EQ(ClassesDefault(L".tvn"), L"TVNFile");
    EXPECT_EQ(ClassesDefault(L"PAKFile"), L"PAK 文件");
    EXPECT_EQ(ClassesDefault(L"TVNFile"), L"TVN 文件");
    EXPECT_EQ(ClassesDefault(L"Directory\\shell\\tvnpak"), L"打包为T&avrin歌曲包");
    EXPECT_EQ(ClassesDefault(L"Directory\\shell\\tvnpakr"), L"仅打包为TVN文件(&3)");
    for (auto [verb, switches] : {std::pair{L"tvnpak", L"-cpr"}, std::pair{L"tvnpakr", L"-cr"}}) {
        std::optional<std::wstring> command = ClassesDefault(std::wstring(L"Directory\\shell\\") + verb + L"\\command");
        ASSERT_TRUE(command) << Narrow(verb);
        EXPECT_EQ(*command, Quoted(packerPath) + L" " + switches + L" \"%1\"");
        EXPECT_EQ(ParseCommand(*command), (std::vector<std::wstring>{packerPath, switches, L"%1"}));
    }
    EXPECT_FALSE(ClassesKeyExists(L"Folder\\shell\\tvnpak")) << "registration writes no Folder verbs";
}

// A song folder with a space and a Chinese name: audio for the archive, the rest for the
// descriptor.
class SongFolder {
public:
    SongFolder() : path_(root_ / L"My Songs") {
        CreateDirectoryW(path_.c_str(), nullptr);
        path_ += L"\\歌曲 一";
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\keys").c_str(), nullptr);
        std::mt19937 random(7);
        std::vector<uint8_t> noise(kAudioBytes);
        for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
        WriteBytes(path_ + L"\\song.ogg", noise);  // incompressible: the archive must hold it whole
        WriteBytes(path_ + L"\\keys\\kick.wav", {'R', 'I', 'F', 'F'});
        const std::string chart = "<Chart><Note Time=\"0\" Lane=\"1\"/></Chart>";
        WriteBytes(path_ + L"\\chart.xml", std::vector<uint8_t>(chart.begin(), chart.end()));
        WriteBytes(path_ + L"\\cover.png", {0x89, 'P', 'N', 'G'});
    }
    static constexpr size_t kAudioBytes = 20000;
    const std::wstring& Path() const { return path_; }

private:
    TempFolder root_;
    std::wstring path_;
};

// Runs the registered command of a verb for a folder, exactly as Explorer fills in %1.
DWORD RunVerb(const std::wstring& verb, const std::wstring& folder) {
    std::optional<std::wstring> command = ClassesDefault(L"Directory\\shell\\" + verb + L"\\command");
    EXPECT_TRUE(command);
    std::wstring line = command.value_or(L"");
    size_t at = line.find(L"%1");
    EXPECT_NE(at, std::wstring::npos);
    if (at != std::wstring::npos) line.replace(at, 2, folder);
    RunningProgram packer(line);
    std::optional<DWORD> code = packer.WaitForExit(kPackTimeoutMs);
    EXPECT_TRUE(code) << "the packer did not end by itself: " << Narrow(line);
    return code.value_or(99);
}

DWORD GenpakVerify(const std::wstring& archive) {
    RunningProgram genpak(Quoted(ProgramFolder() + L"genpak.exe") + L" verify " + Quoted(archive));
    return genpak.WaitForExit(kTimeoutMs).value_or(99);
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

TEST_F(ShellbindRegistry, RegisterPackARightClickedFolderAndRemove) {
    // Removing with nothing registered still reports success.
    Remove();
    // Nothing non-volatile can be created below a volatile key: the last step fails, the steps
    // before it stay, and the window stays usable.
    CreateClassesKey(L"Directory\\shell");  // its parent stays non-volatile
    CreateClassesKey(L"Directory\\shell\\tvnpakr", REG_OPTION_VOLATILE);
    Register(kWriteFailed);
    EXPECT_EQ(ClassesDefault(L"Directory\\shell\\tvnpak\\command"), Quoted(PackerPath()) + L" -cpr \"%1\"");
    EXPECT_EQ(ClassesDefault(L"Directory\\shell\\tvnpakr"), L"仅打包为TVN文件(&3)");
    EXPECT_FALSE(ClassesKeyExists(L"Directory\\shell\\tvnpakr\\command"));
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Directory\\shell\\tvnpakr");
    for (int again = 0; again < 2; ++again) {
        Register();
        ExpectRegistered(PackerPath());
    }
    for (const ControlInfo& c : Controls(window_)) EXPECT_TRUE(c.enabled);

    SongFolder song;
    EXPECT_EQ(RunVerb(L"tvnpak", song.Path()), 0u);
    ASSERT_TRUE(Exists(song.Path() + L".pak"));
    ASSERT_TRUE(Exists(song.Path() + L".tvn"));
    EXPECT_EQ(GenpakVerify(song.Path() + L".pak"), 0u);
    EXPECT_EQ(GenpakVerify(song.Path() + L".tvn"), 0u);
    EXPECT_GT(FileSize(song.Path() + L".pak"), SongFolder::kAudioBytes) << "the archive holds the audio";
    EXPECT_LT(FileSize(song.Path() + L".tvn"), SongFolder::kAudioBytes) << "the descriptor does not";
    SongFolder other;
    EXPECT_EQ(RunVerb(L"tvnpakr", other.Path()), 0u);
    EXPECT_TRUE(Exists(other.Path() + L".tvn"));
    EXPECT_FALSE(Exists(other.Path() + L".pak")) << "the descriptor-only command builds no archive";
    EXPECT_EQ(GenpakVerify(other.Path() + L".tvn"), 0u);

    // Removal deletes the verbs under Directory and Folder and keeps the file types; a verb with
    // another subkey stays but loses its command, and the removals after it go on.
    CreateClassesKey(L"Folder\\shell\\tvnpak\\command");
    CreateClassesKey(L"Folder\\shell\\tvnpakr\\command");
    CreateClassesKey(L"Directory\\shell\\tvnpak\\ddeexec");
    Remove();
    EXPECT_TRUE(ClassesKeyExists(L"Directory\\shell\\tvnpak\\ddeexec"));
    EXPECT_FALSE(ClassesKeyExists(L"Directory\\shell\\tvnpak\\command"));
    for (const wchar_t* key : {L"Directory\\shell\\tvnpakr", L"Folder\\shell\\tvnpak", L"Folder\\shell\\tvnpakr"})
        EXPECT_FALSE(ClassesKeyExists(key)) << Narrow(key);
    EXPECT_EQ(ClassesDefault(L".pak"), L"PAKFile");
    EXPECT_EQ(ClassesDefault(L".tvn"), L"TVNFile");
    EXPECT_EQ(ClassesDefault(L"PAKFile"), L"PAK 文件");
    EXPECT_EQ(ClassesDefault(L"TVNFile"), L"TVN 文件");
}

}  // namespace
}  // namespace tavrin::testing
