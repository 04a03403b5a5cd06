// Byte-exact access to one file through one Win32 handle. Every read or write is one system
// call; positions and counts are 32-bit. Failures raise NumberedError and leave the object holding
// its file (except a failed open, after which it holds none).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tavrin/handle_owners.h"

namespace tavrin {

class CFile {
public:
    enum Origin : int32_t { kFromBegin = 0, kFromCurrent = 1, kFromEnd = 2 };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    CFile(CFile&&) noexcept = default;
    CFile& operator=(CFile&&) noexcept = default;
    ~CFile() = default;  // the handle's owner closes a file still held

    void CloseFile() noexcept { handle_.Reset(); }
    // Creates FileName for reading and writing; other programs may read it meanwhile. With
    // overwrite false an existing file makes the call fail (58) and stays as it was.
    void Create(const std::wstring& fileName, bool overwrite = true);

    int32_t GetPointer();
    // Moves by pos, an unsigned distance of 0 to 4 GiB - 1 (a "negative" pos never moves back).
    int32_t SetPointer(int32_t pos, int32_t mode = kFromBegin);

    // The rest of the file from the position; fails when nothing is left.
    std::vector<uint8_t> ReadAll();
    void WritePtr(const void* ptr, int32_t length);

    bool IsOpen() const noexcept { return handle_.Valid(); }

private:
    void Open(const std::wstring& fileName, DWORD disposition);
    void ReadExactly(void* ptr, DWORD count);
    void WriteExactly(const void* ptr, DWORD count);

    FileHandle handle_;
};

}  // namespace tavrin
