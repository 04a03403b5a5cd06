// Failures of system calls in test set-up, told with the system's own error number and text.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace tavrin::testing {

std::string Utf8(const std::wstring& text);

// "what: system error N (text)". Callers take GetLastError() before building `what`, which may
// change it.
std::string WithSystemError(const std::string& what, DWORD code);

// Thrown when a call the test needs fails; gtest prints the message.
class SystemCallFailed : public std::runtime_error {
public:
    SystemCallFailed(const std::string& what, DWORD code) : std::runtime_error(WithSystemError(what, code)) {}
};

}  // namespace tavrin::testing
