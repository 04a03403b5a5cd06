// Reads a descriptor back for the tests with the library's reader: marker and directory records;
// members through genpak's extract (archive_check.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive_check.h"
#include "game_folder.h"

namespace tavrin::testing {

struct DescriptorRecord {
    std::string name;  // bytes in the ANSI code page
    uint8_t method;
    int32_t dataOffset;
    int32_t packedSize;
    int32_t fileSize;
};

struct DescriptorFile {
    Bytes marker;  // the 8 bytes before the directory
    int32_t dirOffset = 0;
    std::vector<DescriptorRecord> records;
};

// Fails the calling test (and returns what it could read) when the reader refuses the file.
DescriptorFile ReadDescriptor(const std::wstring& path);
// Every member, extracted by genpak, by its name below the descriptor's folder.
Bytes ExtractMember(const std::wstring& descriptor, const std::wstring& memberPath);
// The descriptor text a song should get: UTF-16LE with BOM, one Music line, CR LF.
Bytes ExpectedText(const std::wstring& index, const std::wstring& name, const std::wstring& image,
                   const std::wstring& file, const std::wstring& level, const std::wstring& genre,
                   const std::wstring& artist);
// Names of the files in a folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder);

}  // namespace tavrin::testing
