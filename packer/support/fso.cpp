#include "fso.h"

#include <windows.h>

#include <new>

#include "numbered_error.h"
#include "win_handle.h"

namespace tavrin {

int32_t MapSystemError(int32_t systemCode) {
    switch (systemCode) {
        case ERROR_FILE_NOT_FOUND: return 53;
        case ERROR_PATH_NOT_FOUND: return 76;
        case ERROR_TOO_MANY_OPEN_FILES: return 67;
        case ERROR_ACCESS_DENIED: return 70;
        case ERROR_OUTOFMEMORY: return 7;
        case ERROR_WRITE_FAULT: return 57;
        case ERROR_READ_FAULT: return 57;
        case ERROR_SHARING_VIOLATION: return 70;
        case ERROR_LOCK_VIOLATION: return 70;
        case ERROR_HANDLE_EOF: return 62;
        case ERROR_HANDLE_DISK_FULL: return 61;
        case ERROR_FILE_EXISTS: return 58;
        case ERROR_INVALID_PARAMETER: return 5;
        case ERROR_DISK_FULL: return 61;
        case ERROR_INVALID_NAME: return 52;
        case ERROR_ALREADY_EXISTS: return 58;
        default: return systemCode;
    }
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & ~FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int32_t FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA record{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &record)) RaiseLastError();
    return static_cast<int32_t>(record.nFileSizeLow);
}

uint32_t GetAttributes(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) RaiseLastError();
    return attributes;
}

void KillFile(const std::wstring& path) {
    if (!DeleteFileW(path.c_str())) RaiseLastError();
}

namespace {

// Opens, sizes and reads a file in one call into the memory that allocate(size) returns.
template <typename Allocate>
int32_t ReadWhole(const std::wstring& path, Allocate&& allocate) {
    // Readers only: a file another program is writing cannot be opened, so it is never read torn.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return 1;
    DWORD high = 0;
    DWORD low = GetFileSize(file.Get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 1;
    if (high != 0 || low >= 0x80000000u || low == 0) return 1;
    uint8_t* target = nullptr;
    try {
        target = allocate(low);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    DWORD got = 0;
    if (!ReadFile(file.Get(), target, low, &got, nullptr) || got != low) return 1;
    return 0;
}

}  // namespace

int32_t ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& data) {
    return ReadWhole(path, [&](DWORD size) {
        data.assign(size, 0);
        return data.data();
    });
}

uint8_t* ByteBuffer::Reserve(size_t size) {
    if (size > capacity_) {
        data_.reset();  // release first: the old and new block need not coexist
        capacity_ = 0;
        data_.reset(new uint8_t[size]);
        capacity_ = size;
    }
    return data_.get();
}

int32_t ReadWholeFile(const std::wstring& path, ByteBuffer& data, uint32_t& size) {
    size = 0;
    return ReadWhole(path, [&](DWORD length) {
        uint8_t* target = data.Reserve(length);
        size = length;
        return target;
    });
}

}  // namespace tavrin
