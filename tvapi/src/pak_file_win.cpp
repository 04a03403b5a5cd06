// Archive files through Win32 (the Windows build): wide paths straight to CreateFileW.
#include <windows.h>

#include "pak_file.h"

namespace tvapi::pakfile {
namespace {

// Owns one file handle.
class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = other.h_;
            other.h_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    ~FileHandle() { Close(); }

    static FileHandle Open_EXISTING_ForRead(const wchar_t* path) {
        return FileHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    bool IsOpen() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    void Close() {
        if (IsOpen()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    HANDLE h_;
};

class HandleSource final : public genpak::Source {
public:
    HandleSource(FileHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* dst, size_t n) override {
        if (offset > size_ || n > size_ - offset) return false;
        auto* out = static_cast<char*>(dst);
        while (n > 0) {
            // Positioned reads: no shared file pointer to keep in step.
            OVERLAPPED at{};
            at.Offset = static_cast<DWORD>(offset);
            at.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD chunk = n > 0x40000000 ? 0x40000000 : static_cast<DWORD>(n);
            DWORD got = 0;
            if (!ReadFile(file_.Get(), out, chunk, &got, &at) || got == 0) return false;
            out += got;
            offset += got;
            n -= got;
        }
        return true;
    }

private:
    FileHandle file_;
    uint64_t size_;
};

}  // namespace

bool Query(const std::filesystem::path& path, Stamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    stamp.size = uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    stamp.modified =
        static_cast<int64_t>(uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime);
    return true;
}

std::unique_ptr<genpak::Source> Open(const std::filesystem::path& path) {
    FileHandle file = FileHandle::Open_EXISTING_ForRead(path.c_str());
    if (!file.IsOpen()) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return nullptr;
    return std::make_unique<HandleSource>(std::move(file), static_cast<uint64_t>(size.QuadPart));
}

}  // namespace tvapi::pakfile
