#include "fm_main.h"

#include <array>

#include "conversion.h"
#include "tavrin/message_box.h"
#include "tavrin/module_path.h"

namespace tavrin {
namespace {

constexpr wchar_t kUsage[] =
    L"使用说明:\r\n"
    L"     点击“开始转换”将集中式列表的单机快速转换为分布式列表的单机。\r\n"
    L"     视歌曲数量，可能需要几秒钟到几分钟的时间，请耐心等待。\r\n"
    L"     该操作将会自动覆盖现有的tvn文件，请谨慎开始。";

constexpr DWORD kLogStyle =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | ES_WANTRETURN;

// Creation order is tab order: the button, then the log.
constexpr std::array<ControlLayout, 5> kControls{{
    {kIdLabel1, L"Static", kUsage, kLabelStyle, 0, {120, 120, 4455, 1455}},
    {kIdCmdGen, L"Button", L"&S.开始转换", kButtonStyle, 0, {240, 1560, 4215, 495}},
    {kIdLbStatus, L"Static", L"当前状态", kLabelStyle, 0, {0, 2160, 4695, 255}},
    {kIdLbStatus2, L"Static", L"当前进度", kLabelStyle, 0, {0, 2400, 4695, 255}},
    {kIdTxOut, L"Edit", L"诊断信息", kLogStyle, WS_EX_CLIENTEDGE, {120, 2640, 4455, 1695}},
}};

constexpr FormLayout kForm{L"TavrinListsmithMain", L"Tavrin歌曲转换器 Beta2", 4695, 4470, kControls};

}  // namespace

bool ListsmithMain::Load(HINSTANCE instance) {
    SetMessageTitle(kListsmithTitle);
    if (!Create(instance, kForm)) return false;
    // An edit control takes about 32,000 characters unless told otherwise; a long run's log would
    // lose its lines. 0 asks for the largest limit there is.
    SendMessageW(Control(kIdTxOut), EM_SETLIMITTEXT, 0, 0);
    return true;
}

bool ListsmithMain::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kIdCmdGen) {
                CmdGenClick();
                result = 0;
                return true;
            }
            return false;
        case WM_CLOSE:
            // Mid-run the conversion notices at its next status line, cleans up and ends.
            if (running_) {
                closeRequested_ = true;
                result = 0;
                return true;
            }
            return false;
        default:
            return false;
    }
}

void ListsmithMain::CmdGenClick() {
    static MusicList musicList;  // the song table, kept for the life of the program
    SystemGameData game;
    ConversionOutcome outcome = ConversionOutcome::kDeclined;
    try {
        outcome = RunConversion(
            *this, game, musicList, ModuleFolder(),
            [this] {
                // One conversion per start of the program: the button stays disabled.
                running_ = true;
                SetBusyPointer(true);
                EnableWindow(Control(kIdCmdGen), FALSE);
            },
            [this] {
                SetBusyPointer(false);
                MessageBeep(MB_OK);
            });
    } catch (const ConversionClosed&) {
        EndProgram(0);  // the run has removed what it had not finished
        return;
    }
    running_ = false;
    if (outcome == ConversionOutcome::kListMissing) EndProgram(1);  // the user was told; no beep
}

void ListsmithMain::SetLine(int id, const std::wstring& text) {
    SetControlText(id, text);
    PumpPendingMessages();
    if (closeRequested_) throw ConversionClosed{};
}

void ListsmithMain::UpdateStatus(const std::wstring& text) { SetLine(kIdLbStatus, text); }
void ListsmithMain::UpdateStatus2(const std::wstring& text) { SetLine(kIdLbStatus2, text); }

void ListsmithMain::ClearLog() { SetControlText(kIdTxOut, L""); }

void ListsmithMain::AppendLog(const std::wstring& text) {
    HWND log = Control(kIdTxOut);
    int end = GetWindowTextLengthW(log);
    SendMessageW(log, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int32_t ListsmithMain::ShowMessage(const std::wstring& text, uint32_t style) {
    return tavrin::ShowMessage(text, style);
}

}  // namespace tavrin
