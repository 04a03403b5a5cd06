// The pack builder's main window: the folder box, Browse and Pack, the status line, and command
// mode started by the first activation.
#pragma once

#include <windows.h>

#include <string>

#include "encode_pak.h"
#include "support/window_layout.h"

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

inline constexpr wchar_t kFmMainClass[] = L"TavrinTunebaleMain";

class FmMain final : public PackUi {
public:
    // Loads the window (filling the application environment first) without showing it.
    bool Load(HINSTANCE instance);
    void Show(int showCommand);
    HWND Hwnd() const { return hwnd_; }

    // PackUi
    bool ConfirmOverwrite(const std::wstring& question) override;
    void ShowStatus(const std::wstring& line) override;
    void SetBusy(bool busy) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    void OnActivate();
    void RunCommandMode();
    void CmdOpenClick();
    void CmdPakClick();
    // Runs one pack; false when it failed or was refused (the user has been told why).
    bool Pack(const std::wstring& folder, const wchar_t* pakExt, int32_t method);

    HWND hwnd_ = nullptr;
    MessageFont font_;
    bool busy_ = false;
    bool commandModeStarted_ = false;
    int exitCode_ = 0;
};

}  // namespace tavrin
