#include "folder_picker.h"

#include <shlobj.h>

#include "tavrin/handle_owners.h"

namespace tavrin {
namespace {

// Selects the start folder once the dialog is ready.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

ComApartment::ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}

ComApartment::~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
}

std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder) {
    BROWSEINFOW request{};
    request.hwndOwner = owner;
    request.lpszTitle = L"请选择要打包的目录:";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    request.lpfn = BrowseCallback;
    request.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    CoTaskMemory item(SHBrowseForFolderW(&request));
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.Get()), path)) return {};
    return path;
}

}  // namespace tavrin
