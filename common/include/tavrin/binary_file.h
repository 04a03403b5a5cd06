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
    // Opens an existing file for reading and writing at position 0.
    void OpenFile(const std::wstring& fileName);

    int32_t GetPointer();
    // Moves by pos, an unsigned distance of 0 to 4 GiB - 1 (a "negative" pos never moves back).
    int32_t SetPointer(int32_t pos, int32_t mode = kFromBegin);

    std::vector<uint8_t> ReadAll();
    uint8_t ReadByte();
    int32_t ReadLong();
    // The bytes before the next NUL (or the end of the file); leaves the position on the NUL.
    std::vector<uint8_t> ReadCString();
    std::vector<uint8_t> Read(int32_t size);
    void ReadPtr(void* ptr, int32_t size);

    void WriteByte(uint8_t a);
    void WriteLong(int32_t a);
    void WritePtr(const void* ptr, int32_t length);

    bool IsOpen() const noexcept { return handle_.Valid(); }
    const std::wstring& FileName() const noexcept { return fileName_; }

private:
    void Open(const std::wstring& fileName, DWORD disposition);
    void ReadExactly(void* ptr, DWORD count);
    void WriteExactly(const void* ptr, DWORD count);

    std::wstring fileName_;
    FileHandle handle_;
};

}  // namespace tavrin
