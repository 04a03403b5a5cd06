// GENPAK containers (layout in genpak_format.h): reading the directory, reading members and
// finding them by name, as GetFileFromPakW needs. The writer bytes are kept but not checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "genpak_format.h"

namespace tvapi::genpak {

// Random access to the bytes of an archive.
class Source {
public:
    virtual ~Source() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly n bytes at offset into dst; false when they are not all there or reading fails.
    virtual bool ReadAt(uint64_t offset, void* dst, size_t n) = 0;
};

// An archive held in memory (not owned).
class MemorySource final : public Source {
public:
    MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* dst, size_t n) override;

private:
    const uint8_t* data_;
    size_t size_;
};

struct Entry {
    uint32_t nameOffset = 0;  // into Directory::names
    uint8_t nameLen = 0;
    uint8_t method = 0;
    uint8_t afterName = 0;  // the byte after the name, 0x00 in a sound record
    uint32_t dataOffset = 0;
    uint32_t packedSize = 0;
    uint32_t fileSize = 0;
};

struct Directory {
    uint64_t archiveSize = 0;
    uint32_t dirOffset = 0;
    uint8_t writerBytes[2] = {0, 0};
    std::vector<Entry> entries;
    std::string names;  // every record's name bytes, back to back

    std::string_view Name(const Entry& e) const { return std::string_view(names).substr(e.nameOffset, e.nameLen); }
    uint32_t DataSize() const { return dirOffset - static_cast<uint32_t>(kMarkerSize); }
    size_t MemoryUse() const { return sizeof(*this) + entries.capacity() * sizeof(Entry) + names.capacity(); }
};

enum class Status {
    kOk,
    kTooShort,        // shorter than marker and trailer
    kEndTag,          // last byte is not 0x12
    kDirOffset,       // DirOffset leaves no room for the marker or points into the trailer
    kMarker,          // no "GENPAK" before DirOffset
    kRecordsOverrun,  // EntryCount records do not fit between DirOffset and the trailer
    kDirectoryGap,    // bytes left between the last record and the trailer
    kBlockOutside,    // a file entry's data block reaches past the entry data
    kReadError,       // the source could not be read
};

// Reads trailer, marker and records. Allocates no more than the archive's own size.
Status ParseDirectory(Source& source, Directory& dir);

// ParseDirectory, and every file entry's block lies inside the entry data: what reading members
// relies on.
Status ReadDirectory(Source& source, Directory& dir);

// Most bytes an LZSS stream of `packed` bytes can expand to: a flag byte and eight references of
// two bytes give at most 8 x 18 bytes. Bounds allocations made from a record's FileSize.
inline uint64_t MaxExpandedSize(uint32_t packed) { return (uint64_t{packed} / 17 + 1) * 144; }

// A file entry whose content can be read in principle: a known method, a stored block as long as
// the file, a FileSize that its stream could reach.
bool IsReadable(const Entry& e);

// Reads e's content, expanded, into dst (e.fileSize bytes). The entry must come from
// ReadDirectory on the same source. False for an unreadable entry, a read error or a stream that
// does not expand to exactly FileSize bytes.
bool ReadMember(Source& source, const Entry& e, uint8_t* dst);

// Finds members by name bytes: an exact match first, then one that differs only in the case of
// ASCII letters (as Windows file names do). Folders are not members. When several records match
// equally, the first in directory order wins.
class MemberIndex {
public:
    MemberIndex() = default;
    explicit MemberIndex(const Directory& dir);
    // Index into dir.entries, or -1.
    long long Find(const Directory& dir, std::string_view name) const;
    size_t MemoryUse() const;

private:
    std::vector<uint32_t> exact_;   // file entries ordered by name bytes, then by position
    std::vector<uint32_t> folded_;  // the same, by the case-folded names
    std::string foldedNames_;       // dir.names with ASCII letters lowered (same offsets)
};

}  // namespace tvapi::genpak
