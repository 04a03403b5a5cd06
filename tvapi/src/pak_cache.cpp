#include "pak_cache.h"

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "genpak_reader.h"
#include "names.h"
#include "pak_file.h"

namespace tvapi::pak {
namespace {

// A parsed directory with its lookup index; immutable once made, so readers may use it after the
// lock is released while the cache moves on.
struct Parsed {
    genpak::Directory dir;
    genpak::MemberIndex index;
};

struct Slot {
    std::filesystem::path::string_type key;
    pakfile::Stamp stamp;
    std::shared_ptr<const Parsed> parsed;  // null: the archive is corrupt
    size_t bytes = 0;
};

class Cache {
public:
    // The directory of the archive at path, from the cache or read now; null for a missing,
    // unreadable or corrupt archive.
    std::shared_ptr<const Parsed> Get(const std::filesystem::path& path) {
        pakfile::Stamp stamp;
        if (!pakfile::Query(path, stamp)) return nullptr;  // the whole cost of a missing archive
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
        const auto key = (ec ? path : absolute).native();

        std::lock_guard<std::mutex> lock(mutex_);
        if (const auto it = map_.find(key); it != map_.end()) {
            if (it->second->stamp == stamp) {
                lru_.splice(lru_.begin(), lru_, it->second);
                ++stats_.hits;
                return it->second->parsed;
            }
            Erase(it->second);
        }

        const std::unique_ptr<genpak::Source> source = pakfile::Open(path);
        if (!source) return nullptr;
        ++stats_.directoryReads;
        Slot slot{key, stamp, nullptr, sizeof(Slot) + key.size() * sizeof(key[0])};
        auto parsed = std::make_shared<Parsed>();
        if (genpak::ReadDirectory(*source, parsed->dir) == genpak::Status::kOk) {
            parsed->index = genpak::MemberIndex(parsed->dir);
            slot.bytes += parsed->dir.MemoryUse() + parsed->index.MemoryUse();
            slot.parsed = std::move(parsed);
        }
        std::shared_ptr<const Parsed> result = slot.parsed;
        // A directory larger than the whole budget is used once and not kept.
        if (slot.bytes <= maxBytes_ && maxArchives_ > 0) {
            while (!lru_.empty() && (lru_.size() >= maxArchives_ || stats_.bytes + slot.bytes > maxBytes_)) {
                Erase(std::prev(lru_.end()));
            }
            lru_.push_front(std::move(slot));
            map_.emplace(lru_.front().key, lru_.begin());
            stats_.bytes += lru_.front().bytes;
        }
        return result;
    }

    CacheStats Stats() {
        std::lock_guard<std::mutex> lock(mutex_);
        CacheStats s = stats_;
        s.archives = lru_.size();
        return s;
    }

    void Reset(size_t maxArchives, size_t maxBytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        map_.clear();
        lru_.clear();
        stats_ = CacheStats{};
        maxArchives_ = maxArchives;
        maxBytes_ = maxBytes;
    }

private:
    void Erase(std::list<Slot>::iterator it) {
        stats_.bytes -= it->bytes;
        map_.erase(it->key);
        lru_.erase(it);
    }

    std::mutex mutex_;
    std::list<Slot> lru_;  // most recently used first
    std::unordered_map<std::filesystem::path::string_type, std::list<Slot>::iterator> map_;
    CacheStats stats_;
    size_t maxArchives_ = kDefaultMaxArchives;
    size_t maxBytes_ = kDefaultMaxBytes;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

}  // namespace

uint32_t GetFile(void* buffer, uint32_t size, const std::filesystem::path& archive, std::u16string_view member) {
    std::string name;
    if (!names::ToGb18030(member, name) || name.empty() || name.size() > 255) return 0;

    const std::shared_ptr<const Parsed> parsed = TheCache().Get(archive);
    if (!parsed) return 0;
    const long long i = parsed->index.Find(parsed->dir, name);
    if (i < 0) return 0;
    const genpak::Entry& entry = parsed->dir.entries[static_cast<size_t>(i)];
    if (!genpak::IsReadable(entry)) return 0;
    if (size == 0) return entry.fileSize;
    if (buffer == nullptr || size < entry.fileSize || entry.fileSize == 0) return 0;

    // The content is read from a fresh handle; if the file changed since its directory was read,
    // the size or time differs and the next lookup reads it again.
    const std::unique_ptr<genpak::Source> source = pakfile::Open(archive);
    if (!source || source->Size() != parsed->dir.archiveSize) return 0;
    return genpak::ReadMember(*source, entry, static_cast<uint8_t*>(buffer)) ? entry.fileSize : 0;
}

CacheStats Stats() { return TheCache().Stats(); }

void ResetCache(size_t maxArchives, size_t maxBytes) { TheCache().Reset(maxArchives, maxBytes); }

}  // namespace tvapi::pak
