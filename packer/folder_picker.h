// The platform's folder picker, opening with a given folder selected.
#pragma once

#include <windows.h>

#include <string>

namespace tavrin {

// The chosen folder, or an empty string when the user cancels. The calling thread must be in a
// single-threaded COM apartment (ComApartment): the new-style picker is a COM dialog.
std::wstring BrowseForFolder(HWND owner, const std::wstring& startFolder);

// The calling thread in a single-threaded COM apartment for the object's life.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();

private:
    HRESULT result_;
};

}  // namespace tavrin
