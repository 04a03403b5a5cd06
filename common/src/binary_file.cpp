#include "tavrin/binary_file.h"

#include "tavrin/file_system.h"
#include "tavrin/numbered_error.h"

namespace tavrin {

void CFile::Open(const std::wstring& fileName, DWORD disposition) {
    handle_.Reset();  // one object, one file: never leak a handle still held
    HANDLE h =
        CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLastError();
    handle_.Reset(h);
}

void CFile::Create(const std::wstring& fileName, bool overwrite) {
    Open(fileName, overwrite ? CREATE_ALWAYS : CREATE_NEW);
}

int32_t CFile::GetPointer() {
    LONG high = 0;
    DWORD low = SetFilePointer(handle_.Get(), 0, &high, FILE_CURRENT);
    return static_cast<int32_t>(low);
}

int32_t CFile::SetPointer(int32_t pos, int32_t mode) {
    LONG high = 0;  // the upper half is 0, so pos counts as unsigned
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(handle_.Get(), pos, &high, static_cast<DWORD>(mode));
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) RaiseLastError();
    return static_cast<int32_t>(low);
}

void CFile::ReadExactly(void* ptr, DWORD count) {
    DWORD got = 0;
    SetLastError(NO_ERROR);
    if (!ReadFile(handle_.Get(), ptr, count, &got, nullptr) || got != count) RaiseLastError();
}

void CFile::WriteExactly(const void* ptr, DWORD count) {
    DWORD put = 0;
    SetLastError(NO_ERROR);
    if (!WriteFile(handle_.Get(), ptr, count, &put, nullptr) || put != count)
        RaiseLastError(MapSystemError(ERROR_DISK_FULL));
}

std::vector<uint8_t> CFile::ReadAll() {
    SetLastError(NO_ERROR);
    DWORD high = 0;
    DWORD low = GetFileSize(handle_.Get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) RaiseLastError();
    int32_t position = GetPointer();
    if (high != 0 || low >= 0x80000000u) RaiseLastError();
    int64_t count = static_cast<int64_t>(low) - static_cast<uint32_t>(position);
    if (count < 1) RaiseLastError();
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    ReadExactly(bytes.data(), static_cast<DWORD>(count));
    return bytes;
}

void CFile::WritePtr(const void* ptr, int32_t length) {
    if (length < 0) throw NumberedError(kErrInvalidCall);
    WriteExactly(ptr, static_cast<DWORD>(length));
}

}  // namespace tavrin
