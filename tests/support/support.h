// What the Windows tests share: temporary folders, containers checked with the genpak tool, and
// real programs driven through window messages, as a user's tools would.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "genpak_commands.h"
#include "test_archives.h"

namespace tavrin::testing {

using tvtest::Utf8;

// The shared temporary folder, with Windows paths.
class TempFolder : public tvtest::TempDir {
public:
    std::wstring Path() const { return TempDir::Path().wstring(); }
    std::wstring operator/(const std::wstring& name) const { return Path() + L"\\" + name; }
};

inline void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    tvtest::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}
inline std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    const std::string bytes = tvtest::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}
// Every file below a folder by its path relative to it ("\" separators), with its bytes; none
// when the folder is missing.
inline std::map<std::wstring, std::vector<uint8_t>> FileTree(const std::wstring& folder) {
    std::map<std::wstring, std::vector<uint8_t>> files;
    std::error_code missing;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, missing))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).wstring()] = ReadBytes(entry.path().wstring());
    return files;
}

// genpak verify: "" when the container is sound, else what genpak said.
inline std::string VerifyFaults(const std::wstring& archive) {
    std::ostringstream out;
    return ::genpak::tool::Run({L"verify", archive}, out, out) == 0 ? "" : out.str() + "(verify failed)";
}

// genpak extract: every file member by its path ("\" separators, the packed folder's name first).
inline std::map<std::wstring, std::vector<uint8_t>> ExtractedFiles(const std::wstring& archive) {
    TempFolder extracted;
    std::ostringstream out;
    EXPECT_EQ(::genpak::tool::Run({L"extract", archive, extracted.Path()}, out, out), 0) << out.str();
    return FileTree(extracted.Path());
}

inline std::wstring WindowText(HWND hwnd) {
    std::wstring text(size_t(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(size_t(SendMessageW(hwnd, WM_GETTEXT, text.size(), LPARAM(text.data()))));
    return text;
}

struct ControlInfo {
    HWND hwnd;
    int id;
    std::wstring className, text;
    bool enabled, visible, tabStop;
    RECT rect;  // in the parent's client coordinates
};

// Children in z-order, which is tab order for dialog navigation.
inline std::vector<ControlInfo> Controls(HWND parent) {
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

// Whether the condition holds within timeoutMs, asked every 20 ms.
inline bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 60000) {
    for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; !condition(); Sleep(20))
        if (GetTickCount64() >= deadline) return false;
    return true;
}

// A visible top-level window of the process (of the class, when given), waiting up to timeoutMs.
inline HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    HWND found = nullptr;
    Eventually(
        [&] {
            DWORD owner = 0;
            while ((found = FindWindowExW(nullptr, found, className, nullptr)))
                if (GetWindowThreadProcessId(found, &owner), owner == processId && IsWindowVisible(found)) return true;
            return false;
        },
        timeoutMs);
    return found;
}

struct MessageBoxInfo {
    HWND hwnd;
    std::wstring caption, text;
    std::vector<int> buttons;  // identifiers of the visible buttons: IDOK, IDYES, IDNO ...
};
// A box shows before its thread is back in a message loop; a thread that has taken no message for
// 5 s (a loaded machine, a long run before the box) counts as hung then, and reads of its windows
// come back empty. A plain send returns once the loop runs; the box is read after it.
inline std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND box = WaitForTopWindow(processId, L"#32770", timeoutMs);
    if (!box) return std::nullopt;
    SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, nullptr);
    MessageBoxInfo info{box, WindowText(box), {}, {}};
    for (const ControlInfo& c : Controls(box)) {
        if (c.className == L"Static" && c.id == 0xFFFF && !c.text.empty()) info.text = c.text;
        if (c.className == L"Button" && c.visible) info.buttons.push_back(c.id);
    }
    return info;
}

// False when the window is still shown after timeoutMs.
inline bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
    return Eventually([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, timeoutMs);
}

inline void PressButton(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), LPARAM(GetDlgItem(dialog, buttonId)));
}
inline void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// One started program, ended at the latest when the object goes.
class RunningProgram {
public:
    RunningProgram(const std::wstring& commandLine, const std::wstring& currentFolder = {}) {
        std::wstring line = commandLine;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        const wchar_t* folder = currentFolder.empty() ? nullptr : currentFolder.c_str();
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi_))
            throw std::runtime_error("cannot start " + std::to_string(GetLastError()) + ": " + Utf8(commandLine));
    }
    RunningProgram(const RunningProgram&) = delete;
    ~RunningProgram() {
        if (!WaitForExit(0)) TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 10000);
        CloseHandle(pi_.hProcess);
        CloseHandle(pi_.hThread);
    }
    DWORD ProcessId() const { return pi_.dwProcessId; }
    // The exit code, or nullopt when it is still running after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs) {
        DWORD code = 0;
        if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
        return GetExitCodeProcess(pi_.hProcess, &code), code;
    }

private:
    PROCESS_INFORMATION pi_{};
};

// The program's next message box (within a minute), whose text must hold `part`, answered with
// `button`; waits until the box is gone, so the next look finds the next box.
inline MessageBoxInfo Reply(const RunningProgram& program, const std::wstring& part, int button) {
    auto box = WaitForMessageBox(program.ProcessId(), 60000);
    EXPECT_TRUE(box && box->text.find(part) != std::wstring::npos) << Utf8(part);
    EXPECT_TRUE(!box || (PressButton(box->hwnd, button), WaitForWindowGone(box->hwnd, 60000)));
    return box.value_or(MessageBoxInfo{});
}

// The folder holding the running test program (and the programs it tests), with a final "\".
inline std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.rfind(L'\\') + 1);
}

struct ExpectedControl {
    const wchar_t* className;
    std::wstring text;
    RECT twips;  // left, top, width, height
    bool tabStop;
};
// Checks a real program's window against its layout table at the window's DPI: the client size
// and every control (in tab order): class, text, state and rectangle.
inline void ExpectForm(HWND window, int clientWidthTwips, int clientHeightTwips,
                       std::span<const ExpectedControl> expected) {
    const int dpi = int(GetDpiForWindow(window));
    auto px = [&](LONG twips) -> LONG { return MulDiv(twips, dpi, 1440); };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(px(clientWidthTwips), px(clientHeightTwips)));
    const std::vector<ControlInfo> controls = Controls(window);
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlInfo& c = controls[i];
        const RECT& t = expected[i].twips;
        EXPECT_EQ(std::tuple(c.className, c.text, c.enabled && c.visible, c.tabStop, c.rect.left, c.rect.top,
                             c.rect.right - c.rect.left, c.rect.bottom - c.rect.top),
                  std::tuple(std::wstring(expected[i].className), expected[i].text, true, expected[i].tabStop,
                             px(t.left), px(t.top), px(t.right), px(t.bottom)))
            << "control " << i;
    }
}

}  // namespace tavrin::testing
