// Conversions between the programs' strings and UTF-16 text in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// A NUL-terminated UTF-16 text in memory; empty for a null address.
std::wstring StringFromPtr(const wchar_t* address);

// UTF-16 on both sides: the portable core spells it char16_t, Windows wchar_t.
std::u16string ToU16(std::wstring_view text);
std::wstring FromU16(std::u16string_view text);

}  // namespace tavrin
