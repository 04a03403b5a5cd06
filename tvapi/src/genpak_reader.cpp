#include "genpak_reader.h"

#include <algorithm>
#include <cstring>

#include "lzss.h"
#include "names.h"

namespace tvapi::genpak {

bool MemorySource::ReadAt(uint64_t offset, void* dst, size_t n) {
    if (offset > size_ || n > size_ - offset) return false;
    if (n > 0) std::memcpy(dst, data_ + offset, n);
    return true;
}

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

Status ParseInto(Source& source, Directory& dir) {
    const uint64_t size = source.Size();
    dir.archiveSize = size;
    if (size < kMarkerSize + kTrailerSize) return Status::kTooShort;

    uint8_t trailer[kTrailerSize];
    if (!source.ReadAt(size - kTrailerSize, trailer, kTrailerSize)) return Status::kReadError;
    if (trailer[8] != kEndTagByte) return Status::kEndTag;
    const uint32_t dirOffset = Le32(trailer);
    const uint32_t count = Le32(trailer + 4);
    const uint64_t dirEnd = size - kTrailerSize;
    if (dirOffset < kMarkerSize || dirOffset > dirEnd) return Status::kDirOffset;
    dir.dirOffset = dirOffset;

    // Check the count against the space before allocating anything for it: every record takes
    // 15 to 270 bytes.
    const uint64_t space = dirEnd - dirOffset;
    if (uint64_t{count} * kRecordFixedSize > space) return Status::kRecordsOverrun;
    if (space > uint64_t{count} * kRecordMaxSize) return Status::kDirectoryGap;

    // Marker and directory in one read; its size is bounded by the archive's.
    std::vector<uint8_t> bytes(static_cast<size_t>(kMarkerSize + space));
    if (!source.ReadAt(dirOffset - kMarkerSize, bytes.data(), bytes.size())) return Status::kReadError;
    if (std::memcmp(bytes.data(), kMarkerText, 6) != 0) return Status::kMarker;
    dir.writerBytes[0] = bytes[6];
    dir.writerBytes[1] = bytes[7];

    dir.entries.reserve(count);
    dir.names.reserve(static_cast<size_t>(space) - size_t{count} * kRecordFixedSize);
    size_t pos = kMarkerSize;
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes.size() - pos < kRecordFixedSize) return Status::kRecordsOverrun;
        const uint8_t* r = bytes.data() + pos;
        Entry e;
        e.nameLen = r[0];
        if (bytes.size() - pos < kRecordFixedSize + e.nameLen) return Status::kRecordsOverrun;
        e.method = r[1];
        e.dataOffset = Le32(r + 2);
        e.packedSize = Le32(r + 6);
        e.fileSize = Le32(r + 10);
        e.nameOffset = static_cast<uint32_t>(dir.names.size());
        dir.names.append(reinterpret_cast<const char*>(r + 14), e.nameLen);
        e.afterName = r[14 + e.nameLen];
        dir.entries.push_back(e);
        pos += kRecordFixedSize + e.nameLen;
    }
    if (pos != bytes.size()) return Status::kDirectoryGap;
    return Status::kOk;
}

}  // namespace

Status ParseDirectory(Source& source, Directory& dir) {
    dir = Directory{};
    const Status status = ParseInto(source, dir);
    if (status != Status::kOk) {
        // Nothing half-read is left behind, only the archive's size.
        const uint64_t size = dir.archiveSize;
        dir = Directory{};
        dir.archiveSize = size;
    }
    return status;
}

Status ReadDirectory(Source& source, Directory& dir) {
    const Status status = ParseDirectory(source, dir);
    if (status != Status::kOk) return status;
    const uint64_t dataSize = dir.DataSize();
    for (const Entry& e : dir.entries) {
        if (e.method == kFolder) continue;
        if (uint64_t{e.dataOffset} + e.packedSize > dataSize) {
            dir = Directory{};
            return Status::kBlockOutside;
        }
    }
    return Status::kOk;
}

bool IsReadable(const Entry& e) {
    switch (e.method) {
        case kStored:
            return e.packedSize == e.fileSize;
        case kLzss:
        case kLzssXor:
            return e.fileSize <= MaxExpandedSize(e.packedSize);
        default:
            return false;
    }
}

bool ReadMember(Source& source, const Entry& e, uint8_t* dst) {
    if (!IsReadable(e)) return false;
    uint8_t none = 0;
    if (dst == nullptr) {
        if (e.fileSize != 0) return false;
        dst = &none;
    }
    if (e.method == kStored) return source.ReadAt(e.dataOffset, dst, e.fileSize);
    std::vector<uint8_t> packed(e.packedSize);
    if (!source.ReadAt(e.dataOffset, packed.data(), packed.size())) return false;
    return lzss::Expand(packed.data(), packed.size(), dst, e.fileSize, e.method == kLzssXor);
}

MemberIndex::MemberIndex(const Directory& dir) : foldedNames_(names::FoldAsciiCase(dir.names)) {
    for (uint32_t i = 0; i < dir.entries.size(); ++i) {
        if (dir.entries[i].method != kFolder) exact_.push_back(i);
    }
    folded_ = exact_;
    auto name = [&](const std::string& blob, uint32_t i) {
        const Entry& e = dir.entries[i];
        return std::string_view(blob).substr(e.nameOffset, e.nameLen);
    };
    std::stable_sort(exact_.begin(), exact_.end(),
                     [&](uint32_t a, uint32_t b) { return name(dir.names, a) < name(dir.names, b); });
    std::stable_sort(folded_.begin(), folded_.end(),
                     [&](uint32_t a, uint32_t b) { return name(foldedNames_, a) < name(foldedNames_, b); });
}

long long MemberIndex::Find(const Directory& dir, std::string_view name) const {
    auto lookup = [&](const std::vector<uint32_t>& order, const std::string& blob, std::string_view key) -> long long {
        const auto it = std::lower_bound(order.begin(), order.end(), key, [&](uint32_t i, std::string_view k) {
            const Entry& e = dir.entries[i];
            return std::string_view(blob).substr(e.nameOffset, e.nameLen) < k;
        });
        if (it == order.end()) return -1;
        const Entry& e = dir.entries[*it];
        return std::string_view(blob).substr(e.nameOffset, e.nameLen) == key ? static_cast<long long>(*it) : -1;
    };
    if (name.size() > 255) return -1;
    const long long exact = lookup(exact_, dir.names, name);
    if (exact >= 0) return exact;
    return lookup(folded_, foldedNames_, names::FoldAsciiCase(name));
}

size_t MemberIndex::MemoryUse() const {
    return sizeof(*this) + (exact_.capacity() + folded_.capacity()) * sizeof(uint32_t) + foldedNames_.capacity();
}

}  // namespace tvapi::genpak
