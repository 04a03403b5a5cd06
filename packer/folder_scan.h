// The system's folder listing for the pack engine's scan.
#pragma once

#include <functional>
#include <string>

#include "tavrin/pack_engine.h"

namespace tavrin {

// Lists a folder or raises NumberedError.
using FolderLister = std::function<FolderListing(const std::wstring& folder)>;
FolderListing ListFolder(const std::wstring& folder);

}  // namespace tavrin
