// Starts the real listsmith.exe and reads its window back through window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "form_expectations.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 30000;

const ExpectedControl kWindow[] = {
    {L"Static",
     L"使用说明:\r\n"
     L"     点击“开始转换”将集中式列表的单机快速转换为分布式列表的单机。\r\n"
     L"     视歌曲数量，可能需要几秒钟到几分钟的时间，请耐心等待。\r\n"
     L"     该操作将会自动覆盖现有的tvn文件，请谨慎开始。",
     {120, 120, 4455, 1455},
     false},
    {L"Button", L"&S.开始转换", {240, 1560, 4215, 495}, true},
    {L"Static", L"当前状态", {0, 2160, 4695, 255}, false},
    {L"Static", L"当前进度", {0, 2400, 4695, 255}, false},
    {L"Edit", L"诊断信息", {120, 2640, 4455, 1695}, true},
};

TEST(ListsmithWindow, ShowsCaptionControlsAndTwipsLayoutAndEndsWhenClosed) {
    RunningProgram program(L"\"" + ProgramFolder() + L"listsmith.exe\"");
    HWND window = WaitForTopWindow(program.ProcessId(), L"TavrinListsmithMain", kTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Tavrin歌曲转换器 Beta2");
    ExpectForm(window, 4695, 4470, kWindow);
    std::vector<ControlInfo> controls = Controls(window);
    ASSERT_EQ(controls.size(), 5u);
    EXPECT_EQ(controls[1].id, 202);  // the identifiers the conversion tests press and read
    EXPECT_EQ(controls[4].id, 205);
    EXPECT_NE(GetWindowLongPtrW(controls[4].hwnd, GWL_STYLE) & ES_MULTILINE, 0);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace tavrin::testing
