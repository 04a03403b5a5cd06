// Starts the real tunebale.exe and reads its window back through window messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "form_expectations.h"
#include "window_driver.h"

namespace tavrin::testing {
namespace {

constexpr DWORD kStartTimeoutMs = 30000;

// The window as its users see it, in tab order, with its layout in twips.
const ExpectedControl kWindow[] = {
    {L"Edit", L"", {1320, 120, 3855, 270}, true},
    {L"Button", L"&B.浏览...", {5280, 120, 1215, 375}, true},
    {L"Button", L"&P.打包", {2280, 600, 2055, 495}, true},
    {L"Static", L"", {120, 1200, 6495, 375}, false},
    {L"Static", L"要打包的目录:", {120, 120, 1215, 255}, false},
    {L"Static", L"用鼠标右键打包完全支持Unicode哦!", {120, 480, 1572, 612}, false},
};

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

TEST_F(TunebaleWindow, ShowsItsCaptionAndSixControlsLaidOutFromTwipsInTabOrder) {
    EXPECT_EQ(WindowText(window_), L"Tavrin歌曲打包程序");
    ExpectForm(window_, 6708, 1704, kWindow);
}

TEST_F(TunebaleWindow, ProgramEndsWhenItsWindowIsClosed) {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(program_->WaitForExit(kStartTimeoutMs), std::optional<DWORD>(0));
}

TEST(TunebaleStart, WindowModeWithTwoTokensKeepsTheWindowOpen) {
    RunningProgram program(L"\"" + ProgramFolder() + L"tunebale.exe\" -cpr");
    HWND window = WaitForTopWindow(program.ProcessId(), L"TavrinTunebaleMain", kStartTimeoutMs);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(window, 101)), L"") << "a lone switch is no folder for the box";
    EXPECT_EQ(program.WaitForExit(500), std::nullopt);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeoutMs), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace tavrin::testing
