#include "tavrin/file_system.h"

#include <windows.h>

#include <new>

#include "tavrin/numbered_error.h"
#include "tavrin/handle_owners.h"

namespace tavrin {

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & ~FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

// Opens, sizes and reads a file in one call into the memory that allocate(size) returns.
template <typename Allocate>
int32_t ReadWhole(const std::wstring& path, Allocate&& allocate) {
    // Readers only: a file another program is writing cannot be opened, so it is never read torn.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
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

void SourceFile::Release() noexcept {
    view_.Reset();
    mapping_.Reset();
    file_.Reset();
    data_ = nullptr;
    size_ = 0;
}

bool SourceFile::Load(const std::wstring& path, ByteBuffer& fallback) {
    Release();
    // Readers only: a file another program is writing cannot be opened, so it is never read torn.
    file_.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file_) return false;
    DWORD high = 0;
    const DWORD low = GetFileSize(file_.Get(), &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low >= 0x80000000u || low == 0) {
        Release();
        return false;
    }
    size_ = low;
    mapping_.Reset(CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (mapping_) view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0));
    if (view_) {
        data_ = static_cast<const uint8_t*>(view_.Get());
        return true;
    }
    mapping_.Reset();
    try {
        uint8_t* target = fallback.Reserve(size_);
        DWORD got = 0;
        if (!ReadFile(file_.Get(), target, size_, &got, nullptr) || got != size_) {
            Release();
            return false;
        }
        data_ = target;
        return true;
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
}

}  // namespace tavrin
