// The song folder scan: every folder, and the audio files (archive) or the other files
// (descriptor), keyed by full path with "/" below the packed folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavrin {

struct FolderItem {
    std::wstring name;
    bool isFolder = false;
    uint64_t size = 0;  // a file's length as listed
};

struct FolderListing {
    uint64_t identity = 0;          // the same for every path that reaches one folder (links included)
    std::vector<FolderItem> items;  // hidden and system entries included, without "." and ".."
};

// Lists a folder or raises NumberedError.
using FolderLister = std::function<FolderListing(const std::wstring& folder)>;
FolderListing ListFolder(const std::wstring& folder);

enum class PakItemKind : int32_t { kFile = 1, kFolder = 2 };
struct PakItem {
    std::wstring path;
    PakItemKind kind;
    uint64_t size = 0;  // a file's length as listed
};
using PakItems = std::vector<PakItem>;

// Thrown by the scan: the folder it could not list and why.
struct ScanError {
    std::wstring folder;
    int32_t number;
};

// Adds path and everything below it that pakExt selects ("pak": audio files, "tvn": the others,
// anything else: folders only). Folder links are followed, except into a folder that is already
// being scanned further up, which would never end.
void GetSubFolderOrFile(const std::wstring& path, const std::wstring& pakExt, PakItems& items,
                        const FolderLister& lister = ListFolder);

}  // namespace tavrin
