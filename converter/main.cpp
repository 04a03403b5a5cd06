// listsmith: converts the game's central music list into one descriptor per song folder.
#include <windows.h>

#include "fm_main.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    tavrin::ListsmithMain form;
    if (!form.Load(instance)) return 1;
    form.Show(showCommand);
    return form.RunMessageLoop();
}
