// tunebale: packs a song folder into its audio archive (.pak) and its descriptor (.tvn).
#include <windows.h>

#include "fm_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    tavrin::FmMain form;
    if (!form.Load(instance)) return 1;
    form.Show(showCommand);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Dialog navigation: Tab between controls, Alt+B and Alt+P press the buttons.
        if (IsDialogMessageW(form.Hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
