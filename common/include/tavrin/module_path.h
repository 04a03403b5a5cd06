// Where the running program lies.
#pragma once

#include <string>

namespace tavrin {

// The full path of the running program's file (or of a loaded module, given its handle),
// however long; empty only if the system fails.
std::wstring ModulePath(void* module = nullptr);
// Its folder, up to and including the last backslash.
std::wstring ModuleFolder();

}  // namespace tavrin
