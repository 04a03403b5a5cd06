// The platform's folder picker, opening with a given folder selected.
#pragma once

#include <windows.h>

#include <string>

namespace tavrin {

// The chosen folder, or an empty string when the user cancels.
std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder);

}  // namespace tavrin
