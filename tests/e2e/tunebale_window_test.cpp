// Starts the real tunebale.exe and reads its window back through window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;

struct Expected {
    const wchar_t* className;
    const wchar_t* text;
    RECT twips;  // left, top, width, height
    bool tabStop;
};

// The window as its users see it, in tab order, with its layout in twips.
const Expected kWindow[] = {
    {L"Edit", L"", {1320, 120, 3855, 270}, true},
    {L"Button", L"&B.浏览...", {5280, 120, 1215, 375}, true},
    {L"Button", L"&P.打包", {2280, 600, 2055, 495}, true},
    {L"Static", L"", {120, 1200, 6495, 375}, false},
    {L"Static", L"要打包的目录:", {120, 120, 1215, 255}, false},
    {L"Static", L"用鼠标右键打包完全支持Unicode哦!", {120, 480, 1572, 612}, false},
};

int Px(LONG twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

class TunebaleWindow : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = std::make_unique<RunningProgram>(L"\"" + ProgramFolder() + L"tunebale.exe\"");
        window_ = WaitForTopWindow(program_->ProcessId(), L"TavrinTunebaleMain", kStartTimeoutMs);
        ASSERT_NE(window_, nullptr) << "tunebale.exe showed no window";
    }
    std::unique_ptr<RunningProgram> program_;
    HWND window_ = nullptr;
};

TEST_F(TunebaleWindow, ShowsItsCaptionAndSixControlsInTabOrder) {
    EXPECT_EQ(WindowText(window_), L"Tavrin歌曲打包程序");
    std::vector<ControlInfo> controls = Controls(window_);
    ASSERT_EQ(controls.size(), std::size(kWindow));
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(controls[i].className, kWindow[i].className);
        EXPECT_EQ(controls[i].text, kWindow[i].text);
        EXPECT_TRUE(controls[i].enabled);
        EXPECT_TRUE(controls[i].visible);
        EXPECT_EQ(controls[i].tabStop, kWindow[i].tabStop);
    }
}

TEST_F(TunebaleWindow, LayoutFollowsTheTwipsTableAtTheWindowsDpi) {
    UINT dpi = GetDpiForWindow(window_);
    ASSERT_GT(dpi, 0u);
    RECT client{};
    GetClientRect(window_, &client);
    EXPECT_EQ(client.right, Px(6708, dpi));
    EXPECT_EQ(client.bottom, Px(1704, dpi));
    std::vector<ControlInfo> controls = Controls(window_);
    ASSERT_EQ(controls.size(), std::size(kWindow));
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(i);
        const RECT& t = kWindow[i].twips;
        EXPECT_EQ(controls[i].rect.left, Px(t.left, dpi));
        EXPECT_EQ(controls[i].rect.top, Px(t.top, dpi));
        EXPECT_EQ(controls[i].rect.right - controls[i].rect.left, Px(t.right, dpi));
        EXPECT_EQ(controls[i].rect.bottom - controls[i].rect.top, Px(t.bottom, dpi));
    }
}

TEST_F(TunebaleWindow, ProgramEndsWhenItsWindowIsClosed) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(kStartTimeoutMs), std::optional<DWORD>(0));
}

TEST(TunebaleStart, WindowModeWithTwoTokensKeepsTheWindowOpen) {
    RunningProgram program(L"\"" + ProgramFolder() + L"tunebale.exe\" -cpr");
    HWND window = WaitForTopWindow(program.ProcessId(), L"TavrinTunebaleMain", kStartTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(program.WaitForExit(500), std::nullopt);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace tavrin::testing
