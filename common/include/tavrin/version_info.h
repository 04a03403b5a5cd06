// The version resource of a program file: the numeric file and product versions that the
// registrar checks in the packer, and the standard texts the packer keeps of itself. The records
// are portable (the registrar's checks are tested natively); the reading is the platform's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {

// The numeric file and product versions, as numbers and as dotted texts. Each number is an
// unsigned 16-bit component, 0 to 65535. The empty record (no version information) has empty
// texts and zeros.
struct FileVersionRecord {
    std::u16string FileVersionText;     // "FileMajor.FileMinor.FileBuild.FileRevision"
    std::u16string ProductVersionText;  // the same for the product version
    int32_t FileMajor = 0;              // upper half of dwFileVersionMS
    int32_t FileMinor = 0;              // lower half of dwFileVersionMS
    int32_t FileBuild = 0;              // upper half of dwFileVersionLS
    int32_t FileRevision = 0;           // lower half of dwFileVersionLS
    int32_t ProductMajor = 0;
    int32_t ProductMinor = 0;
    int32_t ProductBuild = 0;
    int32_t ProductRevision = 0;

    bool operator==(const FileVersionRecord&) const = default;
};

// The fixed part followed by the twelve standard text entries of the first translation, each up
// to its first NUL; an entry the resource lacks stays empty.
struct VersionInfoRecord : FileVersionRecord {
    std::u16string Comments;
    std::u16string CompanyName;
    std::u16string FileDescription;
    std::u16string FileVersion;
    std::u16string InternalName;
    std::u16string LegalCopyright;
    std::u16string LegalTrademarks;
    std::u16string OriginalFilename;
    std::u16string PrivateBuild;
    std::u16string ProductName;
    std::u16string ProductVersion;
    std::u16string SpecialBuild;

    bool operator==(const VersionInfoRecord&) const = default;
};

#ifdef _WIN32
// The fixed part of the file's version resource; nullopt when the file has no version
// information, cannot be read, or its resource has no fixed part. The file name goes to the
// platform unchanged, so a bare name follows the library search order.
std::optional<FileVersionRecord> ReadFixedVersion(const std::wstring& fileName);
// The whole record; the empty record, silently, for a file without version information. The
// texts are those of the first translation the resource lists.
VersionInfoRecord ReadVersionInfo(const std::wstring& fileName);
#endif

}  // namespace tavrin
