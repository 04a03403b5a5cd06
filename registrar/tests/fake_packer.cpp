// A stand-in for tunebale.exe that the registrar's start-up checks can meet: it carries whatever
// version resource its build gives it, and does nothing when run.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
