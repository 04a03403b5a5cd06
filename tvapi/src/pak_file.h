// Archive files on disk: the one place where TVAPI touches the file system. pak_file_win.cpp
// (Win32) and pak_file_std.cpp (standard library) implement it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "genpak_reader.h"

namespace tvapi::pakfile {

// What tells one version of a file from another.
struct Stamp {
    uint64_t size = 0;
    int64_t modified = 0;  // last write time in the platform's own units
    bool operator==(const Stamp&) const = default;
};

// Size and modification time of the regular file at path, from a single file-system call; false
// when it is missing, a folder or cannot be queried.
bool Query(const std::filesystem::path& path, Stamp& stamp);

// Opens the file at path for reading, sharing it with writers; nullptr when that fails.
std::unique_ptr<genpak::Source> Open(const std::filesystem::path& path);

}  // namespace tvapi::pakfile
