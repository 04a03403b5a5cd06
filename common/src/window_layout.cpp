#include "tavrin/window_layout.h"

namespace tavrin {

UINT WindowDpi(HWND window) {
    UINT dpi = window ? GetDpiForWindow(window) : 0;
    return dpi ? dpi : GetDpiForSystem();
}

SIZE WindowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, UINT dpi) {
    RECT r{0, 0, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&r, style, FALSE, exStyle, dpi);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void PlaceControl(HWND control, const TwipsRect& t, UINT dpi) {
    SetWindowPos(control, nullptr, TwipsToPixels(t.left, dpi), TwipsToPixels(t.top, dpi), TwipsToPixels(t.width, dpi),
                 TwipsToPixels(t.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

MessageFont MessageFont::ForDpi(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        // Fall back to the system-DPI metrics, scaled.
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(GetDpiForSystem()));
    }
    MessageFont font;
    font.font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
    return font;
}

void MessageFont::ApplyTo(HWND control) const {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Get()), TRUE);
}

}  // namespace tavrin
