// Drives real programs' windows from a test: starts a program, finds its windows, reads controls
// and message boxes, and presses buttons, all through window messages as a user's tools would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::testing {

struct ControlInfo {
    HWND hwnd;
    int id;
    std::wstring className;
    std::wstring text;
    bool enabled;
    bool visible;
    bool tabStop;
    RECT rect;  // in the parent's client coordinates
};

struct MessageBoxInfo {
    HWND hwnd;
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons;  // identifiers of the visible buttons: IDOK, IDYES, IDNO ...
};

std::wstring WindowText(HWND hwnd);
std::wstring ClassNameOf(HWND hwnd);
// Children in z-order, which is tab order for dialog navigation.
std::vector<ControlInfo> Controls(HWND parent);

// A visible top-level window of the process (of the class, when given), waiting up to timeoutMs.
HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs);
// A message box (dialog class #32770) of the process or thread, waiting up to timeoutMs.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs, DWORD threadId = 0);
// Waits until a window is destroyed or hidden; false when it is still there after timeoutMs.
bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs);
// Presses a dialog button as a click would.
void PressButton(HWND dialog, int buttonId);
// Clicks a push button of a window.
void ClickButton(HWND button);

// One started program, ended at the latest when the object goes.
class RunningProgram {
public:
    RunningProgram(const std::wstring& commandLine, const std::wstring& currentFolder = {});
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    ~RunningProgram();

    DWORD ProcessId() const { return pi_.dwProcessId; }
    // The exit code, or nullopt when it is still running after timeoutMs.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);

private:
    PROCESS_INFORMATION pi_{};
};

// The folder holding the running test program (and the programs it tests).
std::wstring ProgramFolder();

}  // namespace tavrin::testing
