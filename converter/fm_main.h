// The music-list converter's window: usage text, the start button, the status and progress
// lines and the diagnostic log.
#pragma once

#include <windows.h>

#include <string>

#include "conversion_ui.h"
#include "tavrin/form_window.h"

namespace tavrin {

enum ListsmithControl : int {
    kIdLabel1 = 201,
    kIdCmdGen = 202,
    kIdLbStatus = 203,
    kIdLbStatus2 = 204,
    kIdTxOut = 205,
};

inline constexpr wchar_t kListsmithTitle[] = L"Tavrin单机歌曲转换器";

class ListsmithMain final : public FormWindow, public ConversionUi {
public:
    bool Load(HINSTANCE instance);

    // ConversionUi
    void UpdateStatus(const std::wstring& text) override;
    void UpdateStatus2(const std::wstring& text) override;
    void ClearLog() override;
    void AppendLog(const std::wstring& text) override;
    int32_t ShowMessage(const std::wstring& text, uint32_t style) override;

private:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void SetLine(int id, const std::wstring& text);
    void CmdGenClick();

    bool running_ = false;
    bool closeRequested_ = false;
};

}  // namespace tavrin
