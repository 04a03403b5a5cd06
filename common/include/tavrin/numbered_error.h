// The one error type of the file and registry layers: it carries a number and nothing else. What
// the number means is its standard text, in the interface's language.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace tavrin {

// Numbers the layers raise besides mapped system codes.
inline constexpr int32_t kErrInvalidCall = 5;  // invalid procedure call or argument
inline constexpr int32_t kErrOutOfMemory = 7;
inline constexpr int32_t kErrSubscript = 9;      // subscript out of range
inline constexpr int32_t kErrInputPastEnd = 62;  // a short read with no system code of its own

class NumberedError : public std::exception {
public:
    explicit NumberedError(int32_t number) noexcept : number_(number) {}
    int32_t Number() const noexcept { return number_; }
    // The standard text of the number, in Chinese.
    std::wstring Description() const { return ErrorDescription(number_); }
    const char* what() const noexcept override { return "numbered error"; }

    static std::wstring ErrorDescription(int32_t number);

private:
    int32_t number_;
};

// Translates a system error code into the programs' error number; unknown codes pass unchanged.
int32_t MapSystemError(int32_t systemCode);

// Raises the error number of a system error code (see MapSystemError).
[[noreturn]] void RaiseSystemError(uint32_t systemCode);
// Raises the mapped number of the calling thread's last system error; when the platform left no
// code (a short read at the end of a file), raises `fallback` instead so a failure stays a failure.
[[noreturn]] void RaiseLastError(int32_t fallback = kErrInputPastEnd);

}  // namespace tavrin
