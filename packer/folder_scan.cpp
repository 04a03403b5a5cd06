#include "folder_scan.h"

#include <windows.h>

#include <algorithm>

#include "audio_patterns.h"
#include "tavrin/numbered_error.h"
#include "tavrin/text.h"
#include "tavrin/handle_owners.h"

namespace tavrin {
namespace {

uint64_t FolderIdentity(const std::wstring& folder) {
    FileHandle h(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) RaiseLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.Get(), &info)) RaiseLastError();
    uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return index ^ (static_cast<uint64_t>(info.dwVolumeSerialNumber) << 40);
}

std::wstring LowerCase(std::wstring s) {
    if (!s.empty()) CharLowerBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

bool Selected(const std::wstring& fileName, const std::wstring& pakExt) {
    if (pakExt == L"pak") return IsAudioName(ToU16(LowerCase(fileName)));
    if (pakExt == L"tvn") return !IsAudioName(ToU16(LowerCase(fileName)));
    return false;
}

void Scan(const std::wstring& path, const std::wstring& pakExt, PakItems& items, const FolderLister& lister,
          std::vector<uint64_t>& ancestors) {
    FolderListing listing;
    try {
        listing = lister(path);
    } catch (const NumberedError& e) {
        throw ScanError{path, e.Number()};
    }
    // A link back to a folder above this one would nest forever: it adds nothing new.
    if (std::find(ancestors.begin(), ancestors.end(), listing.identity) != ancestors.end()) return;
    items.push_back({path, PakItemKind::kFolder});
    for (const FolderItem& item : listing.items)
        if (!item.isFolder && Selected(item.name, pakExt))
            items.push_back({path + L"/" + item.name, PakItemKind::kFile, item.size});
    ancestors.push_back(listing.identity);
    for (const FolderItem& item : listing.items)
        if (item.isFolder) Scan(path + L"/" + item.name, pakExt, items, lister, ancestors);
    ancestors.pop_back();
}

}  // namespace

FolderListing ListFolder(const std::wstring& folder) {
    FolderListing listing;
    listing.identity = FolderIdentity(folder);
    WIN32_FIND_DATAW data;
    FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return listing;  // an empty drive root
        RaiseLastError();
    }
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        listing.items.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                 (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (FindNextFileW(find.Get(), &data));
    // "No more files" ends a listing; anything else means part of it is missing.
    if (GetLastError() != ERROR_NO_MORE_FILES) RaiseLastError();
    return listing;
}

void GetSubFolderOrFile(const std::wstring& path, const std::wstring& pakExt, PakItems& items,
                        const FolderLister& lister) {
    std::vector<uint64_t> ancestors;
    Scan(path, pakExt, items, lister, ancestors);
}

}  // namespace tavrin
