#include "folder_drop.h"

namespace tavrin {

std::wstring FolderOfDrop(const std::vector<DroppedItem>& items) {
    for (const DroppedItem& item : items)
        if (item.isFolder) return item.path;
    if (items.empty()) return {};
    const std::wstring& file = items.front().path;
    size_t slash = file.rfind(L'\\');
    if (slash == std::wstring::npos) return {};
    // A file at a drive's top gives the drive with its backslash: "C:" alone would mean the
    // current folder of that drive.
    return file.substr(0, slash > 0 && file[slash - 1] == L':' ? slash + 1 : slash);
}

std::wstring DroppedFolder(HDROP drop) {
    std::vector<DroppedItem> items;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(drop, i, nullptr, 0), L'\0');
        if (path.empty()) continue;
        DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        items.push_back({std::move(path), (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    }
    return FolderOfDrop(items);
}

bool IsExistingFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace tavrin
