// A stand-in for tunebale.exe for the registrar's start-up checks: only its version resource matters.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
