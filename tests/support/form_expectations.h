// Checks a real program's window against its layout table: the caption's client size and every
// control's class, text, state and twips rectangle at the window's DPI.
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace tavrin::testing {

struct ExpectedControl {
    const wchar_t* className;
    std::wstring text;
    RECT twips;  // left, top, width, height
    bool tabStop;
};

// Reports every difference as a test failure; controls are compared in tab order.
void ExpectForm(HWND window, int clientWidthTwips, int clientHeightTwips, std::span<const ExpectedControl> controls);

}  // namespace tavrin::testing
