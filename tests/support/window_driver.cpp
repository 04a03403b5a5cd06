#include "window_driver.h"

#include <stdexcept>

#include "system_error.h"

namespace tavrin::testing {
namespace {

constexpr UINT kMessageTimeoutMs = 5000;

struct TopSearch {
    DWORD processId;
    DWORD threadId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<TopSearch*>(param);
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->processId || (s->threadId && tid != s->threadId) || !IsWindowVisible(hwnd)) return TRUE;
    if (s->className && ClassNameOf(hwnd) != s->className) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND FindTopOnce(DWORD processId, DWORD threadId, const wchar_t* className) {
    TopSearch s{processId, threadId, className, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        kMessageTimeoutMs, &copied);
    text.resize(copied);
    return text;
}

std::wstring ClassNameOf(HWND hwnd) {
    wchar_t name[256] = {};
    int n = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

std::vector<ControlInfo> Controls(HWND parent) {
    std::vector<ControlInfo> controls;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlInfo c{};
        c.hwnd = child;
        c.id = GetDlgCtrlID(child);
        c.className = ClassNameOf(child);
        c.text = WindowText(child);
        c.enabled = IsWindowEnabled(child) != FALSE;
        c.visible = IsWindowVisible(child) != FALSE;
        c.tabStop = (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0;
        GetWindowRect(child, &c.rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&c.rect), 2);
        controls.push_back(std::move(c));
    }
    return controls;
}

HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (HWND w = FindTopOnce(processId, 0, className)) return w;
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs, DWORD threadId) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (HWND box = FindTopOnce(processId, threadId, L"#32770")) {
            MessageBoxInfo info{box, WindowText(box), {}, {}};
            for (const ControlInfo& c : Controls(box)) {
                if (c.className == L"Static" && c.id == 0xFFFF && !c.text.empty()) info.text = c.text;
                if (c.className == L"Button" && c.visible) info.buttons.push_back(c.id);
            }
            return info;
        }
        Sleep(20);
    } while (GetTickCount64() < deadline);
    return std::nullopt;
}

bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
    return true;
}

void PressButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

RunningProgram::RunningProgram(const std::wstring& commandLine, const std::wstring& currentFolder) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &si, &pi_)) {
        const DWORD error = GetLastError();
        throw SystemCallFailed("cannot start the program under test: " + Utf8(commandLine), error);
    }
}

RunningProgram::~RunningProgram() {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 10000);
    }
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD timeoutMs) {
    if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\') + 1);
}

}  // namespace tavrin::testing
