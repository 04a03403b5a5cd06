// Starts the real listsmith.exe and reads its window back through window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kTimeoutMs = 30000;

struct Expected {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    RECT twips;  // left, top, width, height
    bool tabStop;
};

const Expected kWindow[] = {
    {201, L"Static",
     L"使用说明:\r\n"
     L"     点击“开始转换”将集中式列表的单机快速转换为分布式列表的单机。\r\n"
     L"     视歌曲数量，可能需要几秒钟到几分钟的时间，请耐心等待。\r\n"
     L"     该操作将会自动覆盖现有的tvn文件，请谨慎开始。",
     {120, 120, 4455, 1455}, false},
    {202, L"Button", L"&S.开始转换", {240, 1560, 4215, 495}, true},
    {203, L"Static", L"当前状态", {0, 2160, 4695, 255}, false},
    {204, L"Static", L"当前进度", {0, 2400, 4695, 255}, false},
    {205, L"Edit", L"诊断信息", {120, 2640, 4455, 1695}, true},
};

int Px(LONG twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

TEST(ListsmithWindow, ShowsCaptionControlsAndTwipsLayoutAndEndsWhenClosed) {
    RunningProgram program(L"\"" + ProgramFolder() + L"listsmith.exe\"");
    HWND window = WaitForTopWindow(program.ProcessId(), L"TavrinListsmithMain", kTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"Tavrin歌曲转换器 Beta2");
    UINT dpi = GetDpiForWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Px(4695, dpi));
    EXPECT_EQ(client.bottom, Px(4470, dpi));

    std::vector<ControlInfo> controls = Controls(window);
    ASSERT_EQ(controls.size(), std::size(kWindow));
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(i);
        const Expected& e = kWindow[i];
        EXPECT_EQ(controls[i].id, e.id);
        EXPECT_EQ(controls[i].className, e.className);
        EXPECT_EQ(controls[i].text, e.text);
        EXPECT_TRUE(controls[i].enabled);
        EXPECT_EQ(controls[i].tabStop, e.tabStop);
        EXPECT_EQ(controls[i].rect.left, Px(e.twips.left, dpi));
        EXPECT_EQ(controls[i].rect.top, Px(e.twips.top, dpi));
        EXPECT_EQ(controls[i].rect.right - controls[i].rect.left, Px(e.twips.right, dpi));
        EXPECT_EQ(controls[i].rect.bottom - controls[i].rect.top, Px(e.twips.bottom, dpi));
    }
    EXPECT_NE(GetWindowLongPtrW(controls[4].hwnd, GWL_STYLE) & ES_MULTILINE, 0);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kTimeoutMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace tavrin::testing
