#include "tavrin/form_window.h"

#include <utility>

namespace tavrin {
namespace {
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
}  // namespace

bool FormWindow::Create(HINSTANCE instance, const FormLayout& layout) {
    layout_ = layout;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = layout.className;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    if (!RegisterClassExW(&wc)) return false;
    return CreateWindowExW(kFormExStyle, layout.className, layout.caption, kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this) != nullptr;
}

void FormWindow::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
}

bool FormWindow::Dispatch(MSG& msg) {
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the outer loop
        return false;
    }
    // Dialog navigation: Tab between controls and Alt with an access key presses a button.
    if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

int FormWindow::RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool FormWindow::PumpPendingMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (!Dispatch(msg)) return false;
    return hwnd_ != nullptr;
}

std::wstring FormWindow::ControlText(int id) const {
    HWND control = Control(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void FormWindow::SetControlText(int id, const std::wstring& text) const { SetWindowTextW(Control(id), text.c_str()); }

void FormWindow::SetBusyPointer(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void FormWindow::EndProgram(int exitCode) {
    exitCode_ = exitCode;
    DestroyWindow(hwnd_);
}

void FormWindow::Layout(UINT dpi) {
    // A control keeps drawing with the font it holds: the old one is deleted only once every
    // control has the new one.
    MessageFont font = MessageFont::ForDpi(dpi);
    for (const ControlLayout& c : layout_.controls) {
        HWND control = Control(c.id);
        PlaceControl(control, c.twips, dpi);
        font.ApplyTo(control);
    }
    font_ = std::move(font);
}

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return form ? form->HandleMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (message) {
        case WM_CREATE: {
            auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
            for (const ControlLayout& c : layout_.controls)
                CreateWindowExW(c.exStyle, c.className, c.text, c.style, 0, 0, 0, 0, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
            UINT dpi = WindowDpi(hwnd_);
            SIZE size =
                WindowSizeForClient(layout_.clientWidthTwips, layout_.clientHeightTwips, kFormStyle, kFormExStyle, dpi);
            SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(dpi);
            return 0;
        }
        case WM_DPICHANGED: {
            const RECT& r = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wParam));
            return 0;
        }
        case WM_SETCURSOR:
            if (busy_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            return DefWindowProcW(hwnd, message, wParam, lParam);
        default:
            break;
    }
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tavrin
