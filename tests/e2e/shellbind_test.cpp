// The real shellbind.exe: its start-up checks beside different packers, its window, and a user's loop:
// register, right-click a folder (the command run as Explorer runs it), get the archives, remove.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "support.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr wchar_t kClass[] = L"TavrinShellbindEnv";
constexpr wchar_t kNoPacker[] = L"请将程序放入tunebale目录内运行!";
constexpr wchar_t kTooOld[] = L"您的歌曲打包程序版本低于37,无法使用本程序!";
constexpr wchar_t kInfo[] = L"检测到你的tunebale.exe的版本为 ";

// OK on the program's next message box: this text, the registrar's title, no other button.
void ExpectMessage(const RunningProgram& program, const wchar_t* text) {
    const MessageBoxInfo box = Reply(program, text, IDOK);
    EXPECT_EQ(box.text + L"|" + box.caption, text + std::wstring(L"|tunebale环境设置工具"));
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
}

TEST(Shellbind, StartsOnlyBesideAPlainPackerOfRevision37) {
    // The program copied in as tunebale.exe (nullptr: a folder of that name), its attributes, and the
    // messages shown (none: the window opens).
    const std::tuple<const wchar_t*, DWORD, std::vector<const wchar_t*>> cases[] = {
        {L"", 0, {kNoPacker}},
        {L"tv_fake_packer_37.exe", FILE_ATTRIBUTE_HIDDEN, {kNoPacker}},
        {nullptr, 0, {kNoPacker}},
        {L"tv_fake_packer_36.exe", 0, {kTooOld}},
        {L"tv_fake_packer_plain.exe", 0, {L"此文件没有版本信息!", kTooOld}},
        {L"tv_fake_packer_37.exe", 0, {}}};
    for (const auto& [packerCopy, attributes, messages] : cases) {
        SCOPED_TRACE(Utf8(packerCopy ? packerCopy : L"a folder"));
        TempFolder root;
        const std::wstring folder = root / L"工具 目录", packer = folder + L"\\tunebale.exe";
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((ProgramFolder() + L"shellbind.exe").c_str(), (folder + L"\\shellbind.exe").c_str(), 0));
        if (!packerCopy) CreateDirectoryW(packer.c_str(), nullptr);
        if (packerCopy && *packerCopy) CopyFileW((ProgramFolder() + packerCopy).c_str(), packer.c_str(), FALSE);
        if (attributes) SetFileAttributesW(packer.c_str(), attributes);
        RunningProgram program(L"\"" + folder + L"\\shellbind.exe\"", folder);
        for (const wchar_t* text : messages) ExpectMessage(program, text);
        if (messages.empty()) {
            HWND window = WaitForTopWindow(program.ProcessId(), kClass, kTimeoutMs);
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(Controls(window).at(2).text, kInfo + std::wstring(L"9.8.7.37"));
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
    }
}

// The default text of a key under HKEY_CLASSES_ROOT ("" when it has none); nullopt for no key.
std::optional<std::wstring> ClassesText(const std::wstring& subKey) {
    wchar_t text[1024] = {};
    LONG size = sizeof(text);
    return RegQueryValueW(HKEY_CLASSES_ROOT, subKey.c_str(), text, &size) ? std::nullopt : std::optional(text);
}

void CreateKey(const std::wstring& subKey, DWORD options = REG_OPTION_NON_VOLATILE) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, nullptr, options, KEY_WRITE, nullptr, &key, 0), 0);
    RegCloseKey(key);
}

// The prefix's one HKEY_CLASSES_ROOT: this test alone touches the verbs, starting and ending without.
void CleanClasses() {
    for (const wchar_t* key : {L"Directory\\shell\\tvnpak", L"Directory\\shell\\tvnpakr", L"Folder\\shell\\tvnpak",
                               L"Folder\\shell\\tvnpakr", L".pak", L".tvn", L"PAKFile", L"TVNFile"})
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);  // the key too
}

TEST(Shellbind, RegistersPacksARightClickedFolderAndRemoves) {
    CleanClasses();
    RunningProgram program(L"\"" + ProgramFolder() + L"shellbind.exe\"");
    HWND window = WaitForTopWindow(program.ProcessId(), kClass, kTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"tunebale环境设置工具");
    const ExpectedControl form[] = {
        {L"Button", L"注册tunebale环境", {840, 480, 3735, 495}, true},
        {L"Button", L"清除tunebale环境", {840, 960, 3735, 495}, true},
        {L"Static", kInfo + std::wstring(L"1.3.0.64"), {240, 120, 4932, 252}, false},
    };
    ExpectForm(window, 5424, 1704, form);
    auto press = [&](size_t button, const wchar_t* message) {
        ClickButton(Controls(window).at(button).hwnd);
        ExpectMessage(program, message);
    };
    const wchar_t *registered = L"设置成功,您可以右击文件夹选择打包了", *removed = L"清除歌曲打包程序环境成功";
    press(1, removed);  // with nothing registered too
    // Nothing non-volatile can be created below a volatile key: the last write fails, the ones
    // before it stay, and the window stays usable.
    CreateKey(L"Directory\\shell");
    CreateKey(L"Directory\\shell\\tvnpakr", REG_OPTION_VOLATILE);
    press(0, L"写入注册表时出错,请检查您是否有权限操作注册表!");
    EXPECT_EQ(ClassesText(L"Directory\\shell\\tvnpakr"), L"仅打包为TVN文件(&3)");
    EXPECT_EQ(ClassesText(L"Directory\\shell\\tvnpakr\\command"), std::nullopt);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Directory\\shell\\tvnpakr");
    press(0, registered);
    press(0, registered);                                           // over what is there
    std::map<std::wstring, std::optional<std::wstring>> fileTypes;  // written, and kept by removal
    for (const wchar_t* key : {L".pak", L".tvn", L"PAKFile", L"TVNFile"}) fileTypes[key] = ClassesText(key);
    EXPECT_EQ(ClassesText(L"Folder\\shell\\tvnpak"), std::nullopt) << "registration writes no Folder verbs";
    // Explorer splits a command as CommandLineToArgvW does, and puts a right-clicked folder for %1.
    std::wstring command;
    for (auto [verb, switches] : {std::pair{L"tvnpakr", L"-cr"}, std::pair{L"tvnpak", L"-cpr"}}) {
        command = ClassesText(L"Directory\\shell\\" + std::wstring(verb) + L"\\command").value_or(L"");
        int count = 0;
        LPWSTR* args = CommandLineToArgvW(command.c_str(), &count);
        EXPECT_EQ(std::vector<std::wstring>(args, args + count),
                  (std::vector<std::wstring>{ProgramFolder() + L"tunebale.exe", switches, L"%1"}));
        LocalFree(args);
    }
    TempFolder root;
    const std::wstring song = root / L"歌曲 一";
    CreateDirectoryW(song.c_str(), nullptr);
    WriteBytes(song + L"\\song.ogg", std::vector<uint8_t>(5000, 'o'));
    WriteBytes(song + L"\\chart.xml", {'<', 'C', '/', '>'});
    RunningProgram tunebale(command.replace(command.find(L"%1"), 2, song));
    EXPECT_EQ(tunebale.WaitForExit(2 * kTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(VerifyFaults(song + L".pak") + VerifyFaults(song + L".tvn"), "");  // what they hold: tunebale's tests
    // Removal deletes the verbs under Directory and Folder and keeps the file types; a verb with
    // another subkey stays but loses its command, and the removals after it go on.
    for (const wchar_t* key :
         {L"Folder\\shell\\tvnpak\\command", L"Folder\\shell\\tvnpakr\\command", L"Directory\\shell\\tvnpak\\ddeexec"})
        CreateKey(key);
    press(1, removed);
    EXPECT_EQ(ClassesText(L"Directory\\shell\\tvnpak\\ddeexec"), L"");
    for (const wchar_t* key : {L"Directory\\shell\\tvnpak\\command", L"Directory\\shell\\tvnpakr",
                               L"Folder\\shell\\tvnpak", L"Folder\\shell\\tvnpakr"})
        EXPECT_EQ(ClassesText(key), std::nullopt) << Utf8(key);
    for (const auto& [key, text] : fileTypes) EXPECT_TRUE(text && ClassesText(key) == text) << Utf8(key);
    EXPECT_EQ((PostMessageW(window, WM_CLOSE, 0, 0), program.WaitForExit(kTimeoutMs)), 0u);
    CleanClasses();
}

}  // namespace
}  // namespace tavrin::testing
