// Entry names: UTF-16 text to and from GB18030 bytes.
//
// GB18030 covers all of Unicode and gives every character of the Chinese ANSI code page 936 the
// same bytes as that code page, so names the game already reads keep their bytes. The mapping is
// built in (gb18030_table.inc), since Wine and older Windows lack the code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tvapi::names {

inline constexpr uint16_t kUtf16 = 2;
inline constexpr uint16_t kGb18030 = 256;
// The code of the one conversion TVAPI offers, UTF-16 to GB18030.
inline constexpr uint32_t kUtf16ToGb18030 = (uint32_t{kUtf16} << 16) | kGb18030;

// Code for converting from `from` to `to`, 0 for a pair that has no conversion.
uint32_t MakeTrCode(uint16_t from, uint16_t to);

// Encodes one Unicode scalar value (not a surrogate, at most 0x10FFFF) into out, which has room
// for 4 bytes. Returns the byte count (1, 2 or 4), or 0 for a value that is not a scalar value.
int EncodeCodePoint(char32_t cp, uint8_t* out);

// Decodes the character at the start of bytes[0, n). Returns the bytes it takes (1, 2 or 4) and
// sets cp, or 0 when the bytes are malformed, cut short or an unassigned four-byte code.
int DecodeCodePoint(const uint8_t* bytes, size_t n, char32_t& cp);

// Converts `length` UTF-16 units at text (-1: up to the first NUL) into out followed by a NUL.
// Returns the bytes written including the NUL, or 0 when a pointer is null, length is below -1,
// the text holds an unpaired surrogate, or the result with its NUL exceeds capacity. Never writes
// at or past out + capacity; on failure out holds an empty string (when capacity >= 1). With
// length -1 it reads no further than the NUL or the point where the output no longer fits.
int32_t ToGb18030(const char16_t* text, int32_t length, char* out, int32_t capacity);
#if defined(_WIN32)
int32_t ToGb18030(const wchar_t* text, int32_t length, char* out, int32_t capacity);
#endif

// Whole-string conversions without a length limit. False for an unpaired surrogate (to GB18030)
// or malformed bytes (from GB18030); out is then unspecified.
bool ToGb18030(std::u16string_view text, std::string& out);
bool FromGb18030(std::string_view bytes, std::u16string& out);

// Copy of GB18030 (or code page 936) bytes with the ASCII letters A-Z lowered. Bytes inside
// multi-byte characters are left alone: the trail byte of a two-byte code may look like a letter.
std::string FoldAsciiCase(std::string_view bytes);

}  // namespace tvapi::names
