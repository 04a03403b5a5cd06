// shellbind: registers the .pak and .tvn file types and the Explorer folder commands that start
// tunebale.exe beside it, and removes the commands again.
#include <windows.h>

#include "fm_env.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    tavrin::FmEnv form;
    if (!form.Load(instance)) return 0;  // refused at start-up; the user has been told
    form.Show(showCommand);
    return form.RunMessageLoop();
}
