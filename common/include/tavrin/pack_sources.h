// The platform under the pack engine: folder listings and file reading from the system.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "tavrin/byte_buffer.h"
#include "tavrin/pack_engine.h"

namespace tavrin {

#ifdef _WIN32
// Lists a folder or raises NumberedError.
using FolderLister = std::function<FolderListing(const std::wstring& folder)>;
FolderListing ListFolder(const std::wstring& folder);

// The folders through a lister (the system's unless a test gives its own), the files read once
// by mapping them.
std::unique_ptr<PackSource> WindowsPackSource(FolderLister lister = ListFolder);
#endif

// The system's own.
std::unique_ptr<PackSource> PlatformPackSource();

// How many threads a pack uses unless told: one per processor when the codec library says its
// compressors may run on several threads at once (ours does), otherwise one.
unsigned DefaultPackJobs();

}  // namespace tavrin
