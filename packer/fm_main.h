// The pack builder's main window.
#pragma once

#include <windows.h>

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

class FmMain {
public:
    // Loads the window (filling the application environment first) without showing it.
    bool Load(HINSTANCE instance);
    void Show(int showCommand);
    HWND Hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Layout(UINT dpi);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    MessageFont font_;
};

}  // namespace tavrin
