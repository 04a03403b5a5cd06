// Conversions between strings, UTF-16 buffers in memory and UTF-8 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The text before its first NUL, or the whole text when it has none.
std::wstring TrimAtNul(std::wstring_view text);
// A NUL-terminated UTF-16 text in memory; empty for a null address.
std::wstring StringFromPtr(const wchar_t* address);
// UTF-16LE bytes up to the first NUL pair at an even index. An odd count with no NUL pair before
// the last byte raises the out-of-range error.
std::wstring StringFromBytes(const std::vector<uint8_t>& bytes);
// The 16-bit little-endian value at address, 0 to 65535.
int32_t PeekWord(const void* address);
// UTF-8 bytes of the text, without a NUL. An empty text raises the out-of-range error.
std::vector<uint8_t> Utf8Bytes(std::wstring_view text);

// UTF-16 on both sides: the portable core spells it char16_t, Windows wchar_t.
std::u16string ToU16(std::wstring_view text);
std::wstring FromU16(std::u16string_view text);

}  // namespace tavrin
