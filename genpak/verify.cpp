#include "verify.h"

#include <new>
#include <set>
#include <string_view>

#include "names.h"

namespace genpak {

using tvapi::genpak::Directory;
using tvapi::genpak::Entry;
using tvapi::genpak::kFolder;
using tvapi::genpak::kLzss;
using tvapi::genpak::kLzssXor;
using tvapi::genpak::kStored;
using tvapi::genpak::Source;
using tvapi::genpak::Status;
namespace names = tvapi::names;

namespace {

// The writers store every 32-bit field as a signed value.
constexpr uint64_t kMaxField = tvapi::genpak::kMaxContainerSize;

std::u16string FirstComponent(const std::u16string& name) { return name.substr(0, name.find(u'/')); }

std::string Quote(std::string_view bytes) {
    // Names in fault details: printable ASCII as is, everything else as \xHH, so a detail line
    // never carries raw bytes of an unknown encoding.
    std::string out = "\"";
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x20 && b < 0x7F && b != '"' && b != '\\') {
            out += c;
        } else {
            static const char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out + "\"";
}

}  // namespace

const char* StatusCode(Status status) {
    switch (status) {
        case Status::kOk:
            return "ok";
        case Status::kTooShort:
            return "too-short";
        case Status::kEndTag:
            return "end-tag";
        case Status::kDirOffset:
            return "dir-offset";
        case Status::kMarker:
            return "marker";
        case Status::kRecordsOverrun:
            return "records-overrun";
        case Status::kDirectoryGap:
            return "directory-gap";
        case Status::kBlockOutside:
            return "block-past-data";
        case Status::kReadError:
            return "read-error";
    }
    return "unknown";
}

Writer WriterOf(const Directory& dir) {
    if (dir.writerBytes[0] == 0x01 && dir.writerBytes[1] == 0x02) return Writer::kTunebale;
    if (dir.writerBytes[0] == 0x00 && dir.writerBytes[1] == 0x06) return Writer::kListsmith;
    return Writer::kUnknown;
}

std::vector<Fault> Verify(Source& source, VerifySummary* summary) {
    std::vector<Fault> faults;
    auto fault = [&](const char* code, long long record, std::string detail) {
        faults.push_back(Fault{code, record, std::move(detail)});
    };
    VerifySummary local;
    VerifySummary& sum = summary != nullptr ? *summary : local;
    sum = VerifySummary{};

    Directory dir;
    const Status status = tvapi::genpak::ParseDirectory(source, dir);
    if (status != Status::kOk) {
        std::string detail;
        switch (status) {
            case Status::kTooShort:
                detail = "the file is shorter than marker and trailer (17 bytes)";
                break;
            case Status::kEndTag:
                detail = "the last byte is not 0x12";
                break;
            case Status::kDirOffset:
                detail = "DirOffset leaves no room for the marker or points into the trailer";
                break;
            case Status::kMarker:
                detail = "the 8 bytes before DirOffset do not start with GENPAK";
                break;
            case Status::kRecordsOverrun:
                detail = "EntryCount records run past the start of the trailer";
                break;
            case Status::kDirectoryGap:
                detail = "the records end before the trailer begins";
                break;
            default:
                detail = "the archive could not be read";
                break;
        }
        fault(StatusCode(status), -1, detail);
        return faults;
    }

    const Writer writer = WriterOf(dir);
    sum.writer = writer;
    sum.writerBytes[0] = dir.writerBytes[0];
    sum.writerBytes[1] = dir.writerBytes[1];
    sum.records = static_cast<uint32_t>(dir.entries.size());
    sum.dataSize = dir.DataSize();
    if (writer == Writer::kUnknown) {
        fault("writer-bytes", -1, "the bytes after GENPAK are neither 01 02 (tunebale) nor 00 06 (listsmith)");
    }
    if (dir.dirOffset > kMaxField || dir.entries.size() > kMaxField) {
        fault("value-range", -1, "DirOffset or EntryCount is 2^31 or more");
    }

    const uint64_t dataSize = dir.DataSize();
    uint64_t position = 0;  // where the next data block must start
    std::u16string top;
    std::set<std::u16string> folders;
    std::set<std::string> seen;
    std::u16string previous;
    bool previousDecoded = false;
    std::vector<uint8_t> content;

    for (size_t i = 0; i < dir.entries.size(); ++i) {
        const Entry& e = dir.entries[i];
        const auto rec = static_cast<long long>(i);
        const std::string_view raw = dir.Name(e);
        const std::string shown = Quote(raw);

        // Name.
        if (e.afterName != 0) fault("name-nul", rec, "the byte after the name " + shown + " is not 0x00");
        if (raw.empty()) fault("name-empty", rec, "the name is empty");
        if (writer == Writer::kTunebale && raw.size() > 254) {
            fault("name-length", rec, "the name " + shown + " has 255 bytes; tunebale writes at most 254");
        }
        std::u16string name;
        const bool decoded = names::FromGb18030(raw, name);
        if (!decoded) fault("name-encoding", rec, "the name " + shown + " is not valid GB18030");
        if (!seen.insert(std::string(raw)).second) fault("duplicate-name", rec, "the name " + shown + " occurs before");

        // Method, sizes and data position.
        if (e.method > kLzssXor) {
            fault("method", rec, "unknown Method " + std::to_string(e.method));
        } else {
            if (e.dataOffset > kMaxField || e.packedSize > kMaxField || e.fileSize > kMaxField) {
                fault("value-range", rec, "DataOffset, PackedSize or FileSize is 2^31 or more");
            }
            if (e.dataOffset != position) {
                fault("data-offset", rec,
                      "DataOffset " + std::to_string(e.dataOffset) + " is not the writing position " +
                          std::to_string(position));
            }
            if (e.method == kFolder) {
                ++sum.folders;
                if (e.packedSize != 0 || e.fileSize != 0)
                    fault("folder-sizes", rec, "a folder record with nonzero sizes");
            } else {
                ++sum.files;
                bool blockInside = uint64_t{e.dataOffset} + e.packedSize <= dataSize;
                if (!blockInside) {
                    fault("block-past-data", rec,
                          "the block at " + std::to_string(e.dataOffset) + " of " + std::to_string(e.packedSize) +
                              " bytes reaches past the entry data (" + std::to_string(dataSize) + " bytes)");
                }
                if (e.method == kStored && e.packedSize != e.fileSize) {
                    fault("stored-size", rec,
                          "Method 0 with PackedSize " + std::to_string(e.packedSize) + " and FileSize " +
                              std::to_string(e.fileSize));
                }
                if ((e.method == kLzss || e.method == kLzssXor) && writer == Writer::kTunebale &&
                    e.packedSize >= e.fileSize) {
                    fault("packed-not-smaller", rec,
                          "Method " + std::to_string(e.method) + " with PackedSize " + std::to_string(e.packedSize) +
                              " not below FileSize " + std::to_string(e.fileSize));
                }
                if (writer == Writer::kListsmith && e.method != kLzss) {
                    fault("writer-method", rec,
                          "listsmith stores files with Method 1, not " + std::to_string(e.method));
                }
                // A stored block of the wrong size is a stored-size fault already.
                if (blockInside && (e.method != kStored || e.packedSize == e.fileSize)) {
                    bool expands = tvapi::genpak::IsReadable(e);
                    if (expands) {
                        try {
                            content.assign(e.fileSize, 0);
                            expands = tvapi::genpak::ReadMember(source, e, content.data());
                        } catch (const std::bad_alloc&) {
                            expands = false;
                        }
                    }
                    if (!expands)
                        fault("expand", rec, "the data does not expand to its FileSize " + std::to_string(e.fileSize));
                }
                position = uint64_t{e.dataOffset} + e.packedSize;
            }
        }

        // Place in the folder tree.
        if (i == 0) {
            if (e.method != kFolder || raw.find('/') != std::string_view::npos) {
                fault("first-record", rec, "the first record " + shown + " is not the top folder");
            }
            if (decoded) top = name;
        } else if (decoded) {
            if (name.find(u'/') == std::u16string::npos || FirstComponent(name) != top) {
                fault("top-folder", rec, "the name " + shown + " is not inside the top folder");
            } else {
                const std::u16string parent = name.substr(0, name.rfind(u'/'));
                if (parent != top && folders.count(parent) == 0) {
                    fault("parent-missing", rec, "no folder record for the parent of " + shown + " comes before it");
                }
            }
            if (e.method == kFolder && writer == Writer::kListsmith) {
                fault("folder-count", rec, "listsmith writes one folder record, the first");
            }
            if (writer == Writer::kTunebale && previousDecoded && !(previous < name)) {
                fault("order", rec, "the name " + shown + " does not sort after the previous record's");
            }
        }
        if (decoded && e.method == kFolder) folders.insert(name);
        previous = name;
        previousDecoded = decoded;
    }

    if (position != dataSize) {
        fault("data-size", -1,
              "the data blocks end at " + std::to_string(position) + ", the entry data has " +
                  std::to_string(dataSize) + " bytes");
    }
    return faults;
}

}  // namespace genpak
