// copy_only.exe SRC DST: the floor of any Windows packer under Wine. It lists SRC with
// FindFirstFileExW, creates DST and its sub-folders, and copies every file through one reused
// 1 MiB buffer with ReadFile/WriteFile, and does nothing else; bench/pack-bench.sh sets tunebale's
// pack against it. Exit code 0 when everything was copied, 1 at the first failure (named on
// standard error), 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tavrin/handle_owners.h"

namespace {

using tavrin::FileHandle;
using tavrin::FindHandle;

constexpr DWORD kBufferSize = 1 << 20;

bool Failed(const char* what, const std::wstring& path) {
    const DWORD error = GetLastError();  // before anything else can overwrite it
    std::fprintf(stderr, "copy_only: %s %ls failed (error %lu)\n", what, path.c_str(), error);
    return false;
}

bool CopyFileThrough(const std::wstring& from, const std::wstring& to, std::vector<char>& buffer) {
    FileHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return Failed("opening", from);
    // Windows names ignore case: of two names that differ only in case (the corpus has FAQ.html
    // beside faq.html) the later replaces the earlier, as in any copy to a Windows folder.
    FileHandle out(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return Failed("creating", to);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.Get(), buffer.data(), kBufferSize, &got, nullptr)) return Failed("reading", from);
        if (got == 0) return true;
        DWORD put = 0;
        if (!WriteFile(out.Get(), buffer.data(), got, &put, nullptr) || put != got) return Failed("writing", to);
    }
}

bool CopyFolder(const std::wstring& from, const std::wstring& to, std::vector<char>& buffer) {
    if (!CreateDirectoryW(to.c_str(), nullptr)) return Failed("creating", to);
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((from + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return Failed("listing", from);
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool copied = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                                ? CopyFolder(from + L'\\' + name, to + L'\\' + name, buffer)
                                : CopyFileThrough(from + L'\\' + name, to + L'\\' + name, buffer);
        if (!copied) return false;
    } while (FindNextFileW(find.Get(), &data));
    // "No more files" ends the listing; anything else means part of the folder was not seen.
    return GetLastError() == ERROR_NO_MORE_FILES || Failed("listing", from);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: copy_only SRC DST (DST must not exist)\n");
        return 2;
    }
    std::vector<char> buffer(kBufferSize);  // touched once here, not page by page in the first read
    return CopyFolder(argv[1], argv[2], buffer) ? 0 : 1;
}
