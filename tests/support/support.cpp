#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "genpak_commands.h"
#include "support.h"

namespace tavrin::testing {
namespace fs = std::filesystem;

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    const int size = static_cast<int>(out.size());
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr));
    return out;
}

TempFolder::TempFolder() {
    static unsigned counter = 0;
    const std::wstring base = (fs::temp_directory_path() / L"tavrin-test-").wstring();
    do path_ = base + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    while (!fs::create_directory(path_));
}

TempFolder::~TempFolder() {
    std::error_code error;  // read-only files and folders would stay
    for (const auto& entry : fs::recursive_directory_iterator(path_, error))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path_, error);
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(fs::path(path), std::ios::binary);
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())))
        throw std::runtime_error("cannot write test file " + Utf8(path));
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read test file " + Utf8(path));
    return {std::istreambuf_iterator<char>(in), {}};
}

std::map<std::wstring, std::vector<uint8_t>> FileTree(const std::wstring& folder) {
    std::map<std::wstring, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).wstring()] = ReadBytes(entry.path().wstring());
    return files;
}

std::string VerifyFaults(const std::wstring& archive) {
    std::ostringstream out;
    return genpak::tool::Run({L"verify", archive}, out, out) == 0 ? "" : out.str() + "(verify failed)";
}

std::map<std::wstring, std::vector<uint8_t>> ExtractedFiles(const std::wstring& archive) {
    TempFolder extracted;
    std::ostringstream out;
    EXPECT_EQ(genpak::tool::Run({L"extract", archive, extracted.Path()}, out, out), 0) << out.str();
    return FileTree(extracted.Path());
}

std::string ListArchive(const std::wstring& archive) {
    std::ostringstream out;
    genpak::tool::Run({L"list", archive}, out, out);
    return out.str();
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(size_t(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(size_t(SendMessageW(hwnd, WM_GETTEXT, text.size(), LPARAM(text.data()))));
    return text;
}

std::vector<ControlInfo> Controls(HWND parent) {
    std::vector<ControlInfo> controls;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[64];
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        controls.push_back({c, GetDlgCtrlID(c), std::wstring(name, GetClassNameW(c, name, 64)), WindowText(c),
                            IsWindowEnabled(c) != FALSE, IsWindowVisible(c) != FALSE,
                            (GetWindowLongPtrW(c, GWL_STYLE) & WS_TABSTOP) != 0, r});
    }
    return controls;
}

HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs;; Sleep(20)) {
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == processId && IsWindowVisible(w)) return w;
        }
        if (GetTickCount64() >= deadline) return nullptr;
    }
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND box = WaitForTopWindow(processId, L"#32770", timeoutMs);
    if (!box) return std::nullopt;
    MessageBoxInfo info{box, WindowText(box), {}, {}};
    for (const ControlInfo& c : Controls(box)) {
        if (c.className == L"Static" && c.id == 0xFFFF && !c.text.empty()) info.text = c.text;
        if (c.className == L"Button" && c.visible) info.buttons.push_back(c.id);
    }
    return info;
}

bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; IsWindow(hwnd) && IsWindowVisible(hwnd); Sleep(20))
        if (GetTickCount64() >= deadline) return false;
    return true;
}

void PressButton(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), LPARAM(GetDlgItem(dialog, buttonId)));
}

void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

RunningProgram::RunningProgram(const std::wstring& commandLine, const std::wstring& currentFolder) {
    std::wstring line = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    const wchar_t* folder = currentFolder.empty() ? nullptr : currentFolder.c_str();
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi_))
        throw SystemCallFailed("cannot start " + Utf8(commandLine), GetLastError());
}

RunningProgram::~RunningProgram() {
    if (!WaitForExit(0)) TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 10000);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs) {
    DWORD code = 0;
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    return fs::path(std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH))).remove_filename().wstring();
}

void ExpectForm(HWND window, int clientWidthTwips, int clientHeightTwips, std::span<const ExpectedControl> expected) {
    const int dpi = int(GetDpiForWindow(window));
    auto px = [&](LONG twips) -> LONG { return MulDiv(twips, dpi, 1440); };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(px(clientWidthTwips), px(clientHeightTwips)));
    const std::vector<ControlInfo> controls = Controls(window);
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlInfo& c = controls[i];
        const ExpectedControl& e = expected[i];
        const RECT& t = e.twips;
        EXPECT_EQ(std::tuple(c.className, c.text, c.enabled && c.visible, c.tabStop, c.rect.left, c.rect.top,
                             c.rect.right - c.rect.left, c.rect.bottom - c.rect.top),
                  std::tuple(std::wstring(e.className), e.text, true, e.tabStop, px(t.left), px(t.top), px(t.right),
                             px(t.bottom)))
            << "control " << i;
    }
}

}  // namespace tavrin::testing
