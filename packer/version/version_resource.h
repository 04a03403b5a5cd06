// Reading a program's version resource (the bytes GetFileVersionInfoW gives) without the platform:
// the numeric fixed part both programs check, and the string table of the first translation.
// Portable: no Windows headers, UTF-16 text as char16_t.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

namespace version {

inline constexpr size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO

// A value found in the resource, as VerQueryValueW reports it.
struct Value {
    size_t offset = 0;             // where the value starts, from the start of the resource
    uint32_t length = 0;           // the block's value length: UTF-16 units for text, else bytes
    bool text = false;             // the block's type says text
    std::span<const uint8_t> data; // the value's bytes, never past the end of its block
};

// Looks up a sub-block path such as "\\", "\\VarFileInfo\\Translation" or
// "\\StringFileInfo\\080404B0\\FileVersion": components separated by backslashes, keys compared
// without regard to ASCII case (as the platform does). nullopt when the path is not there or the
// resource is malformed on the way to it.
std::optional<Value> QueryValue(std::span<const uint8_t> info, std::u16string_view subBlock);

// The record of four version halves, as they stand in VS_FIXEDFILEINFO.
FileVersionRecord FixedPartFromHalves(uint32_t fileMS, uint32_t fileLS, uint32_t productMS,
                                      uint32_t productLS);

// The fixed part at the root block; nullopt when the root carries no complete VS_FIXEDFILEINFO.
std::optional<FileVersionRecord> ReadFixedPart(std::span<const uint8_t> info);

// The string-table name of a translation value (language in the lower half, code page in the
// upper): four hex digits of language, then four of code page, upper case. 0x04B00804 gives
// "080404B0".
std::u16string LanguageKey(uint32_t translation);

// The first entry of "\\VarFileInfo\\Translation"; nullopt when there is none.
std::optional<uint32_t> FirstTranslation(std::span<const uint8_t> info);

// The whole record. The fixed part and the texts are read independently: a resource without a
// root block still gives its texts, one without a translation table gives only the numbers.
VersionInfoRecord ParseVersionInfo(std::span<const uint8_t> info);

}  // namespace version
}  // namespace tavrin
