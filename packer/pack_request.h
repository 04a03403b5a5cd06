// What a pack run is asked to do: the switch letters of command mode and the folder path.
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "genpak_format.h"

namespace tavrin {

// InputAlgo: the container method a file gets when compressing it pays.
inline constexpr int32_t kMethodLzss = tvapi::genpak::kLzss;
inline constexpr int32_t kMethodLzssXor = tvapi::genpak::kLzssXor;

struct PackSwitches {
    bool archive = false;          // "c" and "p": build FOLDER.pak
    bool descriptor = false;       // "c" and "r": build FOLDER.tvn
    int32_t method = kMethodLzss;  // "x": the XOR variant
};

// Letters anywhere in the token, case-sensitive; everything else is ignored.
PackSwitches ParseSwitches(std::u16string_view token);

enum class FolderPathProblem { kNone, kEmpty, kDriveRoot };

// The folder path as packing uses it: "/" read as "\", trailing separators dropped. Refuses an
// empty path and a drive or share root, whose archive would land inside the folder itself.
struct CleanFolder {
    std::u16string path;
    FolderPathProblem problem = FolderPathProblem::kNone;
};
CleanFolder CleanFolderPath(std::u16string_view typed);

}  // namespace tavrin
