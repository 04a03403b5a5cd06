// genpak: lists, verifies, extracts and packs GENPAK archives (docs/genpak.md).
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "genpak_commands.h"

#if defined(_WIN32)
#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace {

// UTF-8 text to a console as UTF-16 (any console code page shows it); to a pipe or file as the
// UTF-8 bytes themselves, so captured output is the same on every system.
void Write(DWORD which, FILE* stream, const std::string& utf8) {
    if (utf8.empty()) return;
    const HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    if (h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode)) {
        const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        std::wstring wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
        DWORD written = 0;
        WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    _setmode(_fileno(stream), _O_BINARY);
    fwrite(utf8.data(), 1, utf8.size(), stream);
    fflush(stream);
}

// Collects text and hands it to Write at each flush, which the commands give after whole lines
// and progress redraws.
class ConsoleBuffer final : public std::stringbuf {
public:
    ConsoleBuffer(DWORD which, FILE* stream) : which_(which), stream_(stream) {}
    ~ConsoleBuffer() override { sync(); }

protected:
    int sync() override {
        Write(which_, stream_, str());
        str(std::string());
        return 0;
    }

private:
    DWORD which_;
    FILE* stream_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::filesystem::path> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(std::wstring(argv[i]));
    ConsoleBuffer outBuffer(STD_OUTPUT_HANDLE, stdout), errBuffer(STD_ERROR_HANDLE, stderr);
    std::ostream out(&outBuffer), err(&errBuffer);
    DWORD mode = 0;
    const bool terminal = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
    const int code = genpak::tool::Run(args, out, err, terminal);
    out.flush();
    err.flush();
    return code;
}

#else

#include <unistd.h>

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return genpak::tool::Run(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}

#endif
