// The running pack builder's own version record, read once at start-up.
#pragma once

#include <string>

#include "tavrin/version_info.h"

namespace tavrin {

const VersionInfoRecord& AppVersion();
// Reads AppVersion from the program file: the last step of InitAppEnvironment.
void LoadAppVersion(const std::wstring& appExePath);

}  // namespace tavrin
