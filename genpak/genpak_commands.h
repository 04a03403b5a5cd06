// The commands of the genpak archive inspector, apart from the console: list, verify, extract, pack.
// docs/genpak.md describes the output, which tests of other programs rely on.
#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

namespace genpak::tool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFault = 1;  // unreadable archive, faults found, or something not extracted
inline constexpr int kExitUsage = 2;

// Runs one command; args exclude the program name. Output goes to out and errors to err, both as
// UTF-8 text with "\n" line ends. terminal: err is a terminal, where progress is drawn in place.
// Returns the exit code.
int Run(const std::vector<std::filesystem::path>& args, std::ostream& out, std::ostream& err, bool terminal = false);

}  // namespace genpak::tool
