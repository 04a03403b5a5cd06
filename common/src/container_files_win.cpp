// The container writer's files on Win32: CFile for the data and the directory, the numbered
// errors' texts for what went wrong.
#include <windows.h>

#include "tavrin/binary_file.h"
#include "tavrin/container_files.h"
#include "tavrin/numbered_error.h"

namespace tavrin {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& file, const wchar_t* what, int32_t number) {
    throw FileFailure{file, what + NumberedError::ErrorDescription(number)};
}

class WindowsOutput final : public ContainerFiles::Output {
public:
    explicit WindowsOutput(const std::filesystem::path& path) : path_(path) {
        try {
            file_.Create(path_.wstring(), true);
        } catch (const NumberedError& e) {
            Fail(path_, L"无法创建文件: ", e.Number());
        }
    }
    void Write(const void* bytes, size_t count) override {
        try {
            file_.WritePtr(bytes, static_cast<int32_t>(count));
        } catch (const NumberedError& e) {
            Fail(path_, L"无法写入文件: ", e.Number());
        }
        written_ += count;
    }
    std::vector<uint8_t> ReadBack() override {
        if (written_ == 0) return {};
        try {
            file_.SetPointer(0, CFile::kFromBegin);
            return file_.ReadAll();
        } catch (const NumberedError& e) {
            Fail(path_, L"无法读取文件: ", e.Number());
        }
    }
    void Close() noexcept override { file_.CloseFile(); }

private:
    std::filesystem::path path_;
    CFile file_;
    size_t written_ = 0;
};

class WindowsContainerFiles final : public ContainerFiles {
public:
    std::unique_ptr<Output> Create(const std::filesystem::path& path) override {
        return std::make_unique<WindowsOutput>(path);
    }
    void DeleteIfPresent(const std::filesystem::path& path) override {
        if (DeleteFileW(path.c_str())) return;
        const DWORD code = GetLastError();
        // A name the file system refuses holds no file either; creating it will say why.
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND && code != ERROR_INVALID_NAME)
            Fail(path, L"无法删除文件: ", MapSystemError(static_cast<int32_t>(code)));
    }
    void Remove(const std::filesystem::path& path) noexcept override { DeleteFileW(path.c_str()); }
    bool IsReadOnly(const std::filesystem::path& path) override {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }
    void Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            Fail(to, L"无法替换文件: ", MapSystemError(static_cast<int32_t>(GetLastError())));
    }
};

}  // namespace

ContainerFiles& PlatformContainerFiles() {
    static WindowsContainerFiles files;
    return files;
}

}  // namespace tavrin
