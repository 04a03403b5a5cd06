#include "form_expectations.h"

#include <gtest/gtest.h>

#include "window_driver.h"

namespace tavrin::testing {
namespace {
int Px(LONG twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }
}  // namespace

void ExpectForm(HWND window, int clientWidthTwips, int clientHeightTwips, std::span<const ExpectedControl> expected) {
    UINT dpi = GetDpiForWindow(window);
    ASSERT_GT(dpi, 0u);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, Px(clientWidthTwips, dpi));
    EXPECT_EQ(client.bottom, Px(clientHeightTwips, dpi));
    std::vector<ControlInfo> controls = Controls(window);
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(i);
        const ExpectedControl& e = expected[i];
        EXPECT_EQ(controls[i].className, e.className);
        EXPECT_EQ(controls[i].text, e.text);
        EXPECT_TRUE(controls[i].enabled);
        EXPECT_TRUE(controls[i].visible);
        EXPECT_EQ(controls[i].tabStop, e.tabStop);
        EXPECT_EQ(controls[i].rect.left, Px(e.twips.left, dpi));
        EXPECT_EQ(controls[i].rect.top, Px(e.twips.top, dpi));
        EXPECT_EQ(controls[i].rect.right - controls[i].rect.left, Px(e.twips.right, dpi));
        EXPECT_EQ(controls[i].rect.bottom - controls[i].rect.top, Px(e.twips.bottom, dpi));
    }
}

}  // namespace tavrin::testing
