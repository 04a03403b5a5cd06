// Window layouts given in twips, placed in pixels for the window's monitor DPI, with the
// system's message font at that DPI. Shared by the programs' main windows.
#pragma once

#include <windows.h>

#include "tavrin/handle_owners.h"

namespace tavrin {

struct TwipsRect {
    int left, top, width, height;
};

inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

// The pixel size a top-level window needs for a client area of the given twips.
SIZE WindowSizeForClient(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle, UINT dpi);
void PlaceControl(HWND control, const TwipsRect& twips, UINT dpi);

// The system's message font at a given DPI; the owner deletes it when replaced or destroyed, so
// a window replaces it only once no control uses it any more.
class MessageFont {
public:
    static MessageFont ForDpi(UINT dpi);
    HFONT Get() const { return static_cast<HFONT>(font_.Get()); }
    void ApplyTo(HWND control) const;

private:
    GdiObject font_;
};

UINT WindowDpi(HWND window);

}  // namespace tavrin
