// mVersion: the version resource of a program file as a VersionInfoRecord, and the running pack
// builder's own record.
#pragma once

#include <string>

#include "version_resource.h"

namespace tavrin {

// The record of a program file. A missing file, or one without version information, gives the
// empty record silently. The file name goes to the platform unchanged.
VersionInfoRecord ReadVersionInfo(const std::wstring& fileName);

// The running program's record, read once at start-up.
const VersionInfoRecord& AppVersion();
// Reads AppVersion from the program file: the last step of InitAppEnvironment.
void LoadAppVersion(const std::wstring& appExePath);

}  // namespace tavrin
