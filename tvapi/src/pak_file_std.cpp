// Archive files through the standard library (the native build).
#include <fstream>
#include <system_error>

#include "pak_file.h"

namespace tvapi::pakfile {
namespace {

class StreamSource final : public genpak::Source {
public:
    StreamSource(std::ifstream stream, uint64_t size) : stream_(std::move(stream)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* dst, size_t n) override {
        if (offset > size_ || n > size_ - offset) return false;
        if (n == 0) return true;
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(static_cast<char*>(dst), static_cast<std::streamsize>(n));
        return static_cast<size_t>(stream_.gcount()) == n;
    }

private:
    std::ifstream stream_;
    uint64_t size_;
};

}  // namespace

bool Query(const std::filesystem::path& path, Stamp& stamp) {
    std::error_code ec;
    // file_size fails for a missing path and for a folder: the only call a missing archive costs.
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return false;
    const auto modified = std::filesystem::last_write_time(path, ec);
    if (ec) return false;
    stamp.size = size;
    stamp.modified = static_cast<int64_t>(modified.time_since_epoch().count());
    return true;
}

std::unique_ptr<genpak::Source> Open(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return nullptr;
    stream.seekg(0, std::ios::end);
    const std::streamoff end = stream.tellg();
    if (end < 0) return nullptr;
    return std::make_unique<StreamSource>(std::move(stream), static_cast<uint64_t>(end));
}

}  // namespace tvapi::pakfile
