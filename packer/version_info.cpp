#include "version_info.h"

#include "version_file.h"

namespace tavrin {
namespace {
VersionInfoRecord g_appVersion;
}  // namespace

VersionInfoRecord ReadVersionInfo(const std::wstring& fileName) {
    std::optional<std::vector<uint8_t>> info = version::LoadVersionInfo(fileName);
    return info ? version::ParseVersionInfo(*info) : VersionInfoRecord{};
}

const VersionInfoRecord& AppVersion() { return g_appVersion; }

void LoadAppVersion(const std::wstring& appExePath) { g_appVersion = ReadVersionInfo(appExePath); }

}  // namespace tavrin
