// ReadFileVersion: the numeric file and product versions of a program file, for the registrar's
// check of the packer beside it.
#pragma once

#include <string>

#include "tavrin/version_info.h"

namespace tavrin {

// The fixed part of the file's version resource. A file without version information (a missing
// file included, or one whose resource has no fixed part) gets the message "此文件没有版本信息!"
// and yields the empty record. The file name goes to the platform unchanged.
FileVersionRecord ReadFileVersion(const std::wstring& fileName);

}  // namespace tavrin
