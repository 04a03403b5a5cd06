// The pack engine natively: standard-library directory iterators, files mapped with POSIX mmap.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
    // Maps each file, so its bytes go from the page cache to the compressor and the container
    // without a copy; a file that cannot be mapped is read into a reused buffer.
    class Reader final : public FileReader {
    public:
        ~Reader() override { Release(); }
        const uint8_t* Load(const std::u16string& path, uint32_t& size) override {
            Release();
            const int fd = ::open(fs::path(path).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) return nullptr;
            struct stat info {};
            const uint8_t* bytes = nullptr;
            if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size < 0x80000000LL) {
                const auto length = static_cast<size_t>(info.st_size);
                void* view = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
                if (view != MAP_FAILED) {
                    view_ = view;
                    viewLength_ = length;
                    bytes = static_cast<const uint8_t*>(view);
                } else {
                    bytes = ReadAll(fd, length);
                }
                size = static_cast<uint32_t>(length);
            }
            ::close(fd);
            return bytes;
        }
        void Release() noexcept override {
            if (view_ != nullptr) ::munmap(view_, viewLength_);
            view_ = nullptr;
        }

    private:
        const uint8_t* ReadAll(int fd, size_t length) {
            uint8_t* target = buffer_.Reserve(length);
            for (size_t done = 0; done < length;) {
                const ssize_t got = ::read(fd, target + done, length - done);
                if (got <= 0) return nullptr;  // an error, or shorter than listed a moment ago
                done += static_cast<size_t>(got);
            }
            return target;
        }

        void* view_ = nullptr;
        size_t viewLength_ = 0;
        ByteBuffer buffer_;
    };
};

}  // namespace

std::unique_ptr<PackSource> PlatformPackSource() { return std::make_unique<Source>(); }

unsigned DefaultPackJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace tavrin
