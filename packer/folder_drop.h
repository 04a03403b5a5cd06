// Folders handed over by Explorer: dropped on the window, or on the program's icon (which starts
// the program with the folder as its only argument).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace tavrin {

struct DroppedItem {
    std::wstring path;
    bool isFolder = false;
};

// The folder a drop stands for: the first folder among the items, else the folder holding the
// first file; empty when there is neither.
std::wstring FolderOfDrop(const std::vector<DroppedItem>& items);

// The folder a drop names, its items looked up on disk (one that is gone counts for nothing). The
// handle stays the caller's.
std::wstring DroppedFolder(HDROP drop);

bool IsExistingFolder(const std::wstring& path);

}  // namespace tavrin
