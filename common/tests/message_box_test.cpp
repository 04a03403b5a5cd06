#include "tavrin/message_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "window_driver.h"

namespace tavrin {
namespace {

// Shows a message box on another thread, reads it back through its window and answers it.
struct Shown {
    testing::MessageBoxInfo box;
    int32_t answer;
};
Shown ShowAndAnswer(std::wstring_view prompt, uint32_t style, std::wstring_view title, int button) {
    std::promise<DWORD> threadId;
    auto future = std::async(std::launch::async, [&] {
        threadId.set_value(GetCurrentThreadId());
        return ShowMessage(prompt, style, title);
    });
    auto box = testing::WaitForMessageBox(GetCurrentProcessId(), 20000, threadId.get_future().get());
    if (!box) {
        ADD_FAILURE() << "no message box appeared";
        std::abort();  // the box would block the thread forever
    }
    testing::PressButton(box->hwnd, button);
    return {*box, future.get()};
}

TEST(ShowMessage, EmptyTitleShowsTheApplicationTitle) {
    SetMessageTitle(L"Tavrin歌曲打包器");
    Shown shown = ShowAndAnswer(L"打包完成!", kMsgOk, L"", IDOK);
    EXPECT_EQ(shown.box.caption, L"Tavrin歌曲打包器");
    EXPECT_EQ(shown.box.text, L"打包完成!");
    EXPECT_EQ(shown.box.buttons, (std::vector<int>{IDOK}));
    EXPECT_EQ(shown.answer, IDOK);
}

TEST(ShowMessage, QuestionStyleOffersYesAndNoAndReturnsTheAnswer) {
    Shown no = ShowAndAnswer(L"覆盖?", kMsgYesNoQuestionDefaultNo, L"标题", IDNO);
    EXPECT_EQ(no.box.caption, L"标题");
    EXPECT_EQ(no.box.buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(no.answer, kAnswerNo);
    Shown yes = ShowAndAnswer(L"覆盖?", kMsgYesNoQuestionDefaultNo, L"标题", IDYES);
    EXPECT_EQ(yes.answer, kAnswerYes);
}

}  // namespace
}  // namespace tavrin
