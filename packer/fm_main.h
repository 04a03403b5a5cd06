// The pack builder's main window: the folder box, Browse and Pack, the status line, and command
// mode started by the first activation.
#pragma once

#include <windows.h>

#include <string>

#include "encode_pak.h"
#include "taskbar_button.h"
#include "taskbar_progress.h"
#include "tavrin/form_window.h"

namespace tavrin {

// Control identifiers, also what the end-to-end tests look controls up by.
enum FmMainControl : int {
    kIdTxInDir = 101,
    kIdCmdOpen = 102,
    kIdCmdPak = 103,
    kIdLbStatus = 104,
    kIdLabel2 = 105,
    kIdLabel1 = 106,
};

class FmMain final : public FormWindow, public PackUi {
public:
    // Loads the window (filling the application environment first) without showing it.
    bool Load(HINSTANCE instance);
    // Shows the window; command mode starts with its first activation, or right after showing
    // when the system does not activate it (a start in the background).
    void Start(int showCommand);

    // PackUi
    bool ConfirmOverwrite(const std::wstring& question) override;
    void ShowStatus(const std::wstring& line) override;
    void SetBusy(bool busy) override { SetBusyPointer(busy); }
    void ShowProgress(uint64_t bytesDone, uint64_t bytesTotal) override { taskbar_.Show(bytesDone, bytesTotal); }

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnActivate();
    void RunCommandMode();
    void CmdOpenClick();
    void CmdPakClick();
    // Runs one pack; false when it failed or was refused (the user has been told why).
    bool Pack(const std::wstring& folder, const wchar_t* pakExt, int32_t method);

    bool commandModeStarted_ = false;
    ShellTaskbarButton taskbarButton_;
    TaskbarProgress taskbar_{taskbarButton_};
};

}  // namespace tavrin
