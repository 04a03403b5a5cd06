#include "fm_main.h"

#include <array>

#include "app.h"
#include "folder_picker.h"
#include "pack_request.h"
#include "support/intr.h"
#include "support/text.h"

namespace tavrin {
namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
constexpr int kClientWidthTwips = 6708;
constexpr int kClientHeightTwips = 1704;
// Command mode starts after the first activation has been handled, not inside it.
constexpr UINT kRunCommandMode = WM_APP + 1;

struct ControlSpec {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    TwipsRect twips;
};

// Creation order is tab order.
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr std::array<ControlSpec, 6> kControls{{
    {kIdTxInDir, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
     {1320, 120, 3855, 270}},
    {kIdCmdOpen, L"Button", L"&B.浏览...", kButton, 0, {5280, 120, 1215, 375}},
    {kIdCmdPak, L"Button", L"&P.打包", kButton, 0, {2280, 600, 2055, 495}},
    {kIdLbStatus, L"Static", L"", kLabel, 0, {120, 1200, 6495, 375}},
    {kIdLabel2, L"Static", L"要打包的目录:", kLabel, 0, {120, 120, 1215, 255}},
    {kIdLabel1, L"Static", L"用鼠标右键打包完全支持Unicode哦!", kLabel, 0, {120, 480, 1572, 612}},
}};

std::wstring ControlText(HWND control) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

bool FmMain::Load(HINSTANCE instance) {
    InitAppEnvironment();

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFmMainClass;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    if (!RegisterClassExW(&wc)) return false;

    hwnd_ = CreateWindowExW(kFormExStyle, kFmMainClass, L"Tavrin歌曲打包程序", kFormStyle,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                            nullptr, instance, this);
    return hwnd_ != nullptr;
}

void FmMain::Show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
}

void FmMain::CreateControls() {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    for (const ControlSpec& c : kControls) {
        CreateWindowExW(c.exStyle, c.className, c.text, c.style, 0, 0, 0, 0, hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    }
}

void FmMain::Layout(UINT dpi) {
    font_.Create(dpi);
    for (const ControlSpec& c : kControls) {
        HWND control = GetDlgItem(hwnd_, c.id);
        PlaceControl(control, c.twips, dpi);
        font_.ApplyTo(control);
    }
}

void FmMain::OnDpiChanged(UINT dpi, const RECT& suggested) {
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout(dpi);
}

LRESULT CALLBACK FmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<FmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<FmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return form ? form->HandleMessage(message, wParam, lParam)
                : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT FmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            CreateControls();
            UINT dpi = WindowDpi(hwnd_);
            SIZE size = WindowSizeForClient(kClientWidthTwips, kClientHeightTwips, kFormStyle,
                                            kFormExStyle, dpi);
            SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(dpi);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) OnActivate();
            break;
        case kRunCommandMode:
            RunCommandMode();
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kIdCmdOpen) CmdOpenClick();
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kIdCmdPak) CmdPakClick();
            return 0;
        case WM_SETCURSOR:
            if (busy_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(exitCode_);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void FmMain::OnActivate() {
    // Three tokens or more: pack what the command line says, once (a message box during the
    // run activates the window again).
    if (ArgCount() <= 2 || commandModeStarted_) return;
    commandModeStarted_ = true;
    PostMessageW(hwnd_, kRunCommandMode, 0, 0);
}

void FmMain::RunCommandMode() {
    PackSwitches switches = ParseSwitches(ToU16(Arg(1)));
    const std::wstring folder = Arg(2);
    bool ok = true;
    if (switches.archive) ok = Pack(folder, L"pak", switches.method);
    if (ok && switches.descriptor) ok = Pack(folder, L"tvn", switches.method);
    exitCode_ = ok ? 0 : 1;
    DestroyWindow(hwnd_);
}

bool FmMain::Pack(const std::wstring& folder, const wchar_t* pakExt, int32_t method) {
    PackResult result = EncodePak(folder, pakExt, method, *this);
    if (result.outcome == PackOutcome::kFailed || result.outcome == PackOutcome::kRefused) {
        SetBusy(false);
        ShowMessage(result.message, kMsgCritical);
        return false;
    }
    return true;
}

void FmMain::CmdOpenClick() {
    std::wstring start = App().AppFolder;
    if (start.size() > 3 && start.back() == L'\\') start.pop_back();
    std::wstring chosen = BrowseForFolder(hwnd_, start);
    if (!chosen.empty()) SetDlgItemTextW(hwnd_, kIdTxInDir, chosen.c_str());
}

void FmMain::CmdPakClick() {
    HWND cmdPak = GetDlgItem(hwnd_, kIdCmdPak);
    HWND txInDir = GetDlgItem(hwnd_, kIdTxInDir);
    SetBusy(true);
    EnableWindow(cmdPak, FALSE);
    if (Pack(ControlText(txInDir), L"pak", kMethodLzss) && Pack(ControlText(txInDir), L"tvn", kMethodLzss))
        ShowMessage(L"打包完成!", kMsgOk);
    EnableWindow(cmdPak, TRUE);
    SetBusy(false);
}

bool FmMain::ConfirmOverwrite(const std::wstring& question) {
    return ShowMessage(question, kMsgYesNoQuestionDefaultNo) != kAnswerNo;
}

void FmMain::ShowStatus(const std::wstring& line) {
    HWND status = GetDlgItem(hwnd_, kIdLbStatus);
    SetWindowTextW(status, line.c_str());
    UpdateWindow(status);
}

void FmMain::SetBusy(bool busy) {
    busy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace tavrin
