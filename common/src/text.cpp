#include "tavrin/text.h"

#include <windows.h>

#include <cstring>


namespace tavrin {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");

std::wstring StringFromPtr(const wchar_t* address) {
    if (!address) return {};
    int n = lstrlenW(address);  // 0 for an address it cannot read
    return n > 0 ? std::wstring(address, static_cast<size_t>(n)) : std::wstring();
}

std::u16string ToU16(std::wstring_view text) {
    std::u16string s(text.size(), u'\0');
    if (!text.empty()) std::memcpy(s.data(), text.data(), text.size() * sizeof(wchar_t));
    return s;
}

std::wstring FromU16(std::u16string_view text) {
    std::wstring s(text.size(), L'\0');
    if (!text.empty()) std::memcpy(s.data(), text.data(), text.size() * sizeof(char16_t));
    return s;
}

}  // namespace tavrin
