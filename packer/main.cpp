// tunebale: packs a song folder into its audio archive (.pak) and its descriptor (.tvn).
#include <windows.h>

#include "fm_main.h"
#include "folder_picker.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    tavrin::ComApartment com;  // before any window: the folder picker needs it on this thread
    tavrin::FmMain form;
    if (!form.Load(instance)) return 1;
    form.Start(showCommand);
    return form.RunMessageLoop();
}
