// A DPI change lays the controls out again with a new font, never leaving one a deleted font.
#include "tavrin/form_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>

namespace tavrin {
namespace {

constexpr int kLabel = 301, kButton = 302;
constexpr std::array<ControlLayout, 2> kControls{{
    {kLabel, L"Static", L"当前状态", kLabelStyle, 0, {120, 120, 2400, 255}},
    {kButton, L"Button", L"&S.开始", kButtonStyle, 0, {120, 480, 2400, 495}},
}};
constexpr FormLayout kForm{L"TavrinFormWindowTest", L"FormWindow", 2640, 1200, kControls};

class TestForm final : public FormWindow {
    bool OnMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

// Every message a control receives, and those it receives while holding a font already deleted.
std::map<HWND, WNDPROC> ownProcedures;
int messages = 0, messagesWithDeletedFont = 0;

LRESULT CALLBACK Watch(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC own = ownProcedures.at(control);
    ++messages;
    // Asked of the control's own procedure, so the question never comes back here.
    auto font = reinterpret_cast<HGDIOBJ>(CallWindowProcW(own, control, WM_GETFONT, 0, 0));
    if (font && GetObjectType(font) == 0) ++messagesWithDeletedFont;
    return CallWindowProcW(own, control, message, wParam, lParam);
}

TEST(FormWindow, ControlsNeverHoldADeletedFontWhileADpiChangeLaysThemOut) {
    TestForm form;
    ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), kForm));
    for (const ControlLayout& c : kControls) {
        HWND control = form.Control(c.id);
        ownProcedures[control] = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch));
    }
    LONG previousHeight = 0;
    for (UINT dpi : {144u, 192u}) {
        SCOPED_TRACE(dpi);
        messages = messagesWithDeletedFont = 0;
        RECT suggested{40, 40, 40 + MulDiv(300, static_cast<int>(dpi), 96),
                       40 + MulDiv(150, static_cast<int>(dpi), 96)};
        SendMessageW(form.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_GT(messages, 0);  // the controls were moved and given the new font
        EXPECT_EQ(messagesWithDeletedFont, 0);

        const auto font = reinterpret_cast<HFONT>(SendMessageW(form.Control(kLabel), WM_GETFONT, 0, 0));
        EXPECT_EQ(SendMessageW(form.Control(kButton), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(font));
        LOGFONTW described{};
        ASSERT_EQ(GetObjectW(font, sizeof(described), &described), static_cast<int>(sizeof(described)));
        EXPECT_GT(std::abs(described.lfHeight), previousHeight);  // the font grows with the DPI
        previousHeight = std::abs(described.lfHeight);
    }
    DestroyWindow(form.Hwnd());
}

}  // namespace
}  // namespace tavrin
