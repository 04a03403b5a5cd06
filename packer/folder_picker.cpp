#include "folder_picker.h"

#include <shlobj.h>

namespace tavrin {
namespace {

// Selects the start folder once the dialog is ready.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

struct ItemIdList {
    PIDLIST_ABSOLUTE pidl;
    ~ItemIdList() { CoTaskMemFree(pidl); }
};

}  // namespace

std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder) {
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.lpszTitle = L"请选择要打包的目录:";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    request.lpfn = BrowseCallback;
    request.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    ItemIdList item{SHBrowseForFolderW(&request)};
    if (!item.pidl) return {};
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item.pidl, path)) return {};
    return path;
}

}  // namespace tavrin
