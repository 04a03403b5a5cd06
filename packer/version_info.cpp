#include "version_info.h"

namespace tavrin {
namespace {
VersionInfoRecord g_appVersion;
}  // namespace

const VersionInfoRecord& AppVersion() { return g_appVersion; }

void LoadAppVersion(const std::wstring& appExePath) { g_appVersion = ReadVersionInfo(appExePath); }

}  // namespace tavrin
