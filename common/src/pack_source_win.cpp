#include "folder_scan.h"

#include <windows.h>

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
        listing.items.push_back({ToU16(name), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                 (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (FindNextFileW(find.Get(), &data));
    // "No more files" ends a listing; anything else means part of it is missing.
    if (GetLastError() != ERROR_NO_MORE_FILES) RaiseLastError();
    return listing;
}

}  // namespace tavrin
