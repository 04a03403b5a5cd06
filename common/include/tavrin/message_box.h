// Message boxes with the program's own title, and the styles and answers the programs use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavrin {

// Message-box styles and answers the programs use.
inline constexpr uint32_t kMsgOk = 0;
inline constexpr uint32_t kMsgYesNoQuestionDefaultNo = 0x124;  // MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2
inline constexpr uint32_t kMsgCritical = 0x10;
inline constexpr int32_t kAnswerYes = 6;
inline constexpr int32_t kAnswerNo = 7;

// The caption ShowMessage uses when it is given none: each program sets its application title.
void SetMessageTitle(std::wstring title);
const std::wstring& MessageTitle();

// A modal message box owned by the active window; returns the button pressed.
int32_t ShowMessage(std::wstring_view prompt, uint32_t style = kMsgOk, std::wstring_view title = {});

}  // namespace tavrin
