#include "fm_main.h"

#include <array>

#include "app.h"
#include "folder_drop.h"
#include "folder_picker.h"
#include "pack_request.h"
#include "tavrin/handle_owners.h"
#include "tavrin/message_box.h"
#include "tavrin/text.h"

namespace tavrin {
namespace {

// Command mode starts after the first activation has been handled, not inside it.
constexpr UINT kRunCommandMode = WM_APP + 1;

constexpr std::array<ControlLayout, 6> kControls{{
    {kIdTxInDir,
     L"Edit",
     L"",
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE,
     {1320, 120, 3855, 270}},
    {kIdCmdOpen, L"Button", L"&B.浏览...", kButtonStyle, 0, {5280, 120, 1215, 375}},
    {kIdCmdPak, L"Button", L"&P.打包", kButtonStyle, 0, {2280, 600, 2055, 495}},
    {kIdLbStatus, L"Static", L"", kLabelStyle, 0, {120, 1200, 6495, 375}},
    {kIdLabel2, L"Static", L"要打包的目录:", kLabelStyle, 0, {120, 120, 1215, 255}},
    {kIdLabel1, L"Static", L"用鼠标右键打包完全支持Unicode哦!", kLabelStyle, 0, {120, 480, 1572, 612}},
}};

constexpr FormLayout kForm{L"TavrinTunebaleMain", L"Tavrin歌曲打包程序", 6708, 1704, kControls};

}  // namespace

bool FmMain::Load(HINSTANCE instance) {
    InitAppEnvironment();
    if (!Create(instance, kForm)) return false;
    DragAcceptFiles(Hwnd(), TRUE);
    taskbarButton_.Attach(Hwnd());
    // A folder dropped on the program's icon arrives as the only argument: it waits in the box for
    // Pack, as a browsed one would.
    if (ArgCount() == 2 && IsExistingFolder(Arg(1))) SetControlText(kIdTxInDir, Arg(1));
    return true;
}

void FmMain::Start(int showCommand) {
    Show(showCommand);
    OnActivate();
}

bool FmMain::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) OnActivate();
            return false;
        case WM_DROPFILES: {
            const DropHandle drop(reinterpret_cast<HDROP>(wParam));
            const std::wstring folder = DroppedFolder(drop.Get());
            if (!folder.empty()) SetControlText(kIdTxInDir, folder);
            result = 0;
            return true;
        }
        case kRunCommandMode:
            RunCommandMode();
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return false;
            if (LOWORD(wParam) == kIdCmdOpen) CmdOpenClick();
            if (LOWORD(wParam) == kIdCmdPak) CmdPakClick();
            result = 0;
            return true;
        default:
            return false;
    }
}

void FmMain::OnActivate() {
    // Three tokens or more: pack what the command line says, once (a message box during the
    // run activates the window again).
    if (ArgCount() <= 2 || commandModeStarted_) return;
    commandModeStarted_ = true;
    PostMessageW(Hwnd(), kRunCommandMode, 0, 0);
}

void FmMain::RunCommandMode() {
    PackSwitches switches = ParseSwitches(ToU16(Arg(1)));
    const std::wstring folder = Arg(2);
    // The descriptor does not depend on the archive: a failed archive still leaves the descriptor
    // to build, and each failure has been told on its own.
    const bool archived = !switches.archive || Pack(folder, L"pak", switches.method);
    const bool described = !switches.descriptor || Pack(folder, L"tvn", switches.method);
    taskbar_.Clear();
    EndProgram(archived && described ? 0 : 1);
}

bool FmMain::Pack(const std::wstring& folder, const wchar_t* pakExt, int32_t method) {
    PackResult result = EncodePak(folder, pakExt, method, *this);
    if (result.outcome == PackOutcome::kFailed || result.outcome == PackOutcome::kRefused) {
        taskbar_.Fail();
        SetBusy(false);
        ShowMessage(result.message, kMsgCritical);
        return false;
    }
    return true;
}

void FmMain::CmdOpenClick() {
    std::wstring start = App().AppFolder;
    if (start.size() > 3 && start.back() == L'\\') start.pop_back();
    std::wstring chosen = BrowseForFolder(Hwnd(), start);
    if (!chosen.empty()) SetControlText(kIdTxInDir, chosen);
}

void FmMain::CmdPakClick() {
    SetBusy(true);
    EnableWindow(Control(kIdCmdPak), FALSE);
    const std::wstring folder = ControlText(kIdTxInDir);
    const bool archived = Pack(folder, L"pak", kMethodLzss);
    const bool described = Pack(folder, L"tvn", kMethodLzss);
    taskbar_.Clear();
    if (archived && described) ShowMessage(L"打包完成!", kMsgOk);
    EnableWindow(Control(kIdCmdPak), TRUE);
    SetBusy(false);
}

bool FmMain::ConfirmOverwrite(const std::wstring& question) {
    return ShowMessage(question, kMsgYesNoQuestionDefaultNo) != kAnswerNo;
}

void FmMain::ShowStatus(const std::wstring& line) {
    HWND status = Control(kIdLbStatus);
    SetWindowTextW(status, line.c_str());
    UpdateWindow(status);
}

}  // namespace tavrin
