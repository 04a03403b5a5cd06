// The container writer's files through the standard library, for the native build.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include "tavrin/container_files.h"

namespace tavrin {
namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

[[noreturn]] void Fail(const std::filesystem::path& file, const wchar_t* what, const std::string& why) {
    throw FileFailure{file, what + Wide(why)};
}

class StdOutput final : public ContainerFiles::Output {
public:
    explicit StdOutput(const std::filesystem::path& path) : path_(path) {
        file_.open(path_, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
        if (!file_) Fail(path_, L"无法创建文件: ", std::strerror(errno));
    }
    void Write(const void* bytes, size_t count) override {
        file_.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
        if (!file_) Fail(path_, L"无法写入文件: ", std::strerror(errno));
    }
    std::vector<uint8_t> ReadBack() override {
        file_.flush();
        const std::streamoff end = file_.tellp();
        std::vector<uint8_t> bytes(static_cast<size_t>(end));
        file_.seekg(0);
        file_.read(reinterpret_cast<char*>(bytes.data()), end);
        if (!file_) Fail(path_, L"无法读取文件: ", std::strerror(errno));
        return bytes;
    }
    void Close() noexcept override { file_.close(); }

private:
    std::filesystem::path path_;
    std::fstream file_;
};

class StdContainerFiles final : public ContainerFiles {
public:
    std::unique_ptr<Output> Create(const std::filesystem::path& path) override {
        return std::make_unique<StdOutput>(path);
    }
    // Files only, as on Windows: a folder of the user's that happens to bear the name stays.
    void DeleteIfPresent(const std::filesystem::path& path) override {
        std::error_code error;
        if (std::filesystem::is_directory(std::filesystem::symlink_status(path, error)))
            Fail(path, L"无法删除文件: ", "a folder has this name");
        std::filesystem::remove(path, error);
        if (error && error != std::errc::no_such_file_or_directory) Fail(path, L"无法删除文件: ", error.message());
    }
    void Remove(const std::filesystem::path& path) noexcept override {
        std::error_code ignored;
        if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored)))
            std::filesystem::remove(path, ignored);
    }
    bool IsReadOnly(const std::filesystem::path& path) override {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(path, error);
        return !error && std::filesystem::is_regular_file(status) &&
               (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
    }
    void Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        if (error) Fail(to, L"无法替换文件: ", error.message());
    }
};

}  // namespace

ContainerFiles& PlatformContainerFiles() {
    static StdContainerFiles files;
    return files;
}

}  // namespace tavrin
