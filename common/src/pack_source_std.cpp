// The pack engine over the standard library, for the native build: directory iterators, one
// read of each file into a reused buffer.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <system_error>

#include "tavrin/pack_sources.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class Source final : public PackSource {
public:
    FolderListing ListFolder(const std::u16string& folder) override {
        const fs::path path(folder);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            throw ScanError{folder, L"无法列出目录内容: " + Wide(std::generic_category().message(errno))};
        FolderListing listing;
        listing.identity = static_cast<uint64_t>(info.st_ino) ^ (static_cast<uint64_t>(info.st_dev) << 40);
        std::error_code error;
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
            std::error_code kind;
            const bool isFolder = it->is_directory(kind);  // a link to a folder counts as one
            const uint64_t size = isFolder ? 0 : it->file_size(kind);
            listing.items.push_back({it->path().filename().u16string(), isFolder, kind ? 0 : size});
        }
        if (error) throw ScanError{folder, L"无法列出目录内容: " + Wide(error.message())};
        return listing;
    }
    std::unique_ptr<FileReader> NewReader() override { return std::make_unique<Reader>(); }

private:
    class Reader final : public FileReader {
    public:
        const uint8_t* Load(const std::u16string& path, uint32_t& size) override {
            std::ifstream in(fs::path(path), std::ios::binary | std::ios::ate);
            if (!in) return nullptr;
            const std::streamoff length = in.tellg();
            if (length <= 0 || length >= 0x80000000LL) return nullptr;
            uint8_t* target = buffer_.Reserve(static_cast<size_t>(length));
            in.seekg(0);
            if (!in.read(reinterpret_cast<char*>(target), length)) return nullptr;
            size = static_cast<uint32_t>(length);
            return target;
        }
        void Release() noexcept override {}

    private:
        ByteBuffer buffer_;
    };
};

}  // namespace

std::unique_ptr<PackSource> PlatformPackSource() { return std::make_unique<Source>(); }

unsigned DefaultPackJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace tavrin
