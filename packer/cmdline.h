// Splitting the process command line into tokens. Portable: no Windows headers.
//
// Tokens are separated by runs of spaces (tabs count as spaces) outside double quotes; every
// double quote is removed from its token. Positions are 1-based, 0 meaning "none".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin {

// The first position at or after start whose character is not a space; 0 if there is none.
size_t SkipSpaces(size_t start, std::u16string_view text);
// The first position at or after start holding delimiter outside double quotes; 0 if none.
size_t FindUnquoted(size_t start, std::u16string_view text, char16_t delimiter);
// The tokens of text. A text without tokens gives the single token fallback (the program path).
std::vector<std::u16string> SplitCommandLine(std::u16string_view text, std::u16string_view fallback);
// Text without leading and trailing spaces.
std::u16string_view TrimSpaces(std::u16string_view text);

}  // namespace tavrin
