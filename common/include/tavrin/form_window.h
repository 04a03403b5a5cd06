// A program's main window built from a table of controls laid out in twips: creation, DPI
// layout with the message font, the busy pointer, dialog navigation and message pumping. Each
// program's window derives from it and handles its own commands.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "tavrin/window_layout.h"

namespace tavrin {

struct ControlLayout {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    TwipsRect twips;
};

inline constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
inline constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

struct FormLayout {
    const wchar_t* className;
    const wchar_t* caption;
    int clientWidthTwips;
    int clientHeightTwips;
    std::span<const ControlLayout> controls;  // creation order is tab order
};

class FormWindow {
public:
    FormWindow() = default;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;
    virtual ~FormWindow() = default;

    bool Create(HINSTANCE instance, const FormLayout& layout);
    void Show(int showCommand);
    HWND Hwnd() const { return hwnd_; }
    // Runs the message loop until the window is gone; returns the exit code.
    int RunMessageLoop();

    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
    std::wstring ControlText(int id) const;
    void SetControlText(int id, const std::wstring& text) const;
    // The hourglass over the window while busy.
    void SetBusyPointer(bool busy);
    // Handles the messages waiting now (repaint, clicks, closing); false once the window is gone.
    bool PumpPendingMessages();

protected:
    // The program's own handling; return true when the message was handled and result set.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
    void EndProgram(int exitCode);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(UINT dpi);
    bool Dispatch(MSG& msg);

    HWND hwnd_ = nullptr;
    FormLayout layout_{};
    MessageFont font_;
    bool busy_ = false;
    int exitCode_ = 0;
};

}  // namespace tavrin
