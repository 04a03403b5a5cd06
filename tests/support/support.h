// What the Windows tests share: temporary folders, containers checked with the genpak tool, and
// real programs driven through window messages, as a user's tools would.
#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavrin::testing {

std::string Utf8(const std::wstring& text);
// Thrown when a call the test needs fails; callers take GetLastError() before building `what`.
class SystemCallFailed : public std::runtime_error {
public:
    SystemCallFailed(const std::string& what, DWORD code)
        : std::runtime_error(what + ": system error " + std::to_string(code)) {}
};
// A fresh folder under the system's temporary folder, removed with its content afterwards.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};
void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::wstring& path);
// Every file below a folder by its path relative to it ("\" separators), with its bytes.
std::map<std::wstring, std::vector<uint8_t>> FileTree(const std::wstring& folder);
// genpak verify: "" when the container is sound, else what genpak said.
std::string VerifyFaults(const std::wstring& archive);
// genpak extract: every file member by its path ("\" separators, the packed folder's name first).
std::map<std::wstring, std::vector<uint8_t>> ExtractedFiles(const std::wstring& archive);
std::string ListArchive(const std::wstring& archive);
struct ControlInfo {
    HWND hwnd;
    int id;
    std::wstring className, text;
    bool enabled, visible, tabStop;
    RECT rect;  // in the parent's client coordinates
};
struct MessageBoxInfo {
    HWND hwnd;
    std::wstring caption, text;
    std::vector<int> buttons;  // identifiers of the visible buttons: IDOK, IDYES, IDNO ...
};
std::wstring WindowText(HWND hwnd);
// Children in z-order, which is tab order for dialog navigation.
std::vector<ControlInfo> Controls(HWND parent);
// A visible top-level window of the process (of the class, when given), waiting up to timeoutMs.
HWND WaitForTopWindow(DWORD processId, const wchar_t* className, DWORD timeoutMs);
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// False when the window is still shown after timeoutMs.
bool WaitForWindowGone(HWND hwnd, DWORD timeoutMs);
void PressButton(HWND dialog, int buttonId);
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
// The folder holding the running test program (and the programs it tests), with a final "\".
std::wstring ProgramFolder();
struct ExpectedControl {
    const wchar_t* className;
    std::wstring text;
    RECT twips;  // left, top, width, height
    bool tabStop;
};
// Checks a real program's window against its layout table at the window's DPI: the client size
// and every control (in tab order): class, text, state and rectangle.
void ExpectForm(HWND window, int clientWidthTwips, int clientHeightTwips, std::span<const ExpectedControl> controls);

}  // namespace tavrin::testing
