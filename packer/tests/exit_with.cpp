// tv_exit_with CODE | show: a program for the process runner to start. Exits with CODE, or with
// the show-window value it was started with.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    if (std::wcscmp(argv[1], L"show") == 0) {
        STARTUPINFOW startup{};
        GetStartupInfoW(&startup);
        return (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    }
    return static_cast<int>(std::wcstol(argv[1], nullptr, 10));
}
