#include "version_file.h"

#include <windows.h>

namespace tavrin::version {

std::optional<std::vector<uint8_t>> LoadVersionInfo(const std::wstring& fileName) {
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &unused);
    if (size < 1) return std::nullopt;
    std::vector<uint8_t> buffer(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, buffer.data())) return std::nullopt;
    return buffer;
}

}  // namespace tavrin::version
