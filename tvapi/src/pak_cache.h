// GetFileFromPakW behind the C interface: member lookup in archives on disk, with a cache of
// their directories.
//
// The music list converter asks for a member's size and then its content, and for a game path
// without its own archive it walks up to a thousand numbered archives (prefix999.pak down to
// prefix000.pak), most of which do not exist. So each archive's parsed directory is kept, keyed by
// its absolute path, size and modification time: a repeated lookup reads no directory, and a
// missing archive costs one failed file-system query. The cache is bounded in entries and bytes
// (least recently used first out) and guarded by a mutex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tvapi::pak {

// Member lookup: the UTF-16 member name is converted to GB18030 and matched against the record
// names' bytes, exactly first, then ignoring the case of ASCII letters. Names written in code page
// 936 match too, as both encodings give its characters the same bytes.
//
// size 0: returns the member's FileSize. buffer of at least FileSize bytes: fills it with the
// expanded content and returns FileSize. 0 for a missing archive or member, a folder, a corrupt
// archive or member, a null buffer or one that is too small.
uint32_t GetFile(void* buffer, uint32_t size, const std::filesystem::path& archive, std::u16string_view member);

struct CacheStats {
    uint64_t directoryReads = 0;  // directories parsed from disk
    uint64_t hits = 0;            // lookups served from the cache
    size_t archives = 0;          // directories held now
    size_t bytes = 0;             // their memory
};
CacheStats Stats();

inline constexpr size_t kDefaultMaxArchives = 4096;
inline constexpr size_t kDefaultMaxBytes = size_t{64} << 20;

// Empties the cache, resets the counters and sets its bounds (for tests).
void ResetCache(size_t maxArchives = kDefaultMaxArchives, size_t maxBytes = kDefaultMaxBytes);

}  // namespace tvapi::pak
