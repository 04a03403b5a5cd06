#include "tavrin/text.h"

#include <windows.h>

#include <cstring>

#include "tavrin/numbered_error.h"

namespace tavrin {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows strings are UTF-16");

std::wstring TrimAtNul(std::wstring_view text) {
    size_t nul = text.find(L'\0');
    return std::wstring(nul == std::wstring_view::npos ? text : text.substr(0, nul));
}

std::wstring StringFromPtr(const wchar_t* address) {
    if (!address) return {};
    int n = lstrlenW(address);  // 0 for an address it cannot read
    return n > 0 ? std::wstring(address, static_cast<size_t>(n)) : std::wstring();
}

std::wstring StringFromBytes(const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); i += 2) {
        if (i + 1 >= bytes.size()) throw NumberedError(kErrSubscript);
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            std::wstring s(i / 2, L'\0');
            std::memcpy(s.data(), bytes.data(), i);
            return s;
        }
    }
    std::wstring s(bytes.size() / 2, L'\0');
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

int32_t PeekWord(const void* address) {
    uint8_t b[2];
    std::memcpy(b, address, 2);
    return static_cast<int32_t>(b[0] | (b[1] << 8));
}

std::vector<uint8_t> Utf8Bytes(std::wstring_view text) {
    if (text.empty()) throw NumberedError(kErrSubscript);
    int length = static_cast<int>(text.size());
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) throw NumberedError(kErrSubscript);
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, reinterpret_cast<char*>(bytes.data()), n, nullptr, nullptr);
    return bytes;
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
