// The version information of a program file, as the platform hands it out (Windows only).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::version {

// The bytes of the file's version information (GetFileVersionInfoW), which the parser reads.
// nullopt when the file has none, does not exist or cannot be read. The file name goes to the
// platform unchanged, so a bare name follows the library search order.
std::optional<std::vector<uint8_t>> LoadVersionInfo(const std::wstring& fileName);

}  // namespace tavrin::version
