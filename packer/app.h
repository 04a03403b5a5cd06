// The pack builder's application environment: its own path and its command-line tokens, filled
// once while the main window loads and only read afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin {

struct AppEnvironment {
    std::wstring AppExePath;            // full path of the running program
    std::wstring AppExeName;            // after its last backslash
    std::wstring AppFolder;             // up to and including its last backslash
    bool AppHosted = false;             // never hosted by a development environment in this build
    std::wstring AppArgText;            // the command line without its first token, trimmed
    std::vector<std::wstring> AppArgs;  // token 0 is the program itself
};

void InitAppEnvironment();
const AppEnvironment& App();

int32_t ArgCount();
// Token number index; an index outside 0 .. ArgCount() - 1 raises the subscript error.
const std::wstring& Arg(int32_t index);
const std::wstring& AppTitle();

// Fills the environment from given values rather than the running process (tests).
void InitAppEnvironmentFrom(const std::wstring& modulePath, const std::wstring& commandLine);

}  // namespace tavrin
