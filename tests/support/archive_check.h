// GENPAK containers checked the way a user would, with the genpak tool: verify, extract.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tavrin::testing {

// genpak verify: "" when the container is sound, else what genpak said.
std::string VerifyFaults(const std::wstring& archive);
// genpak extract: every file member by its path below the extraction folder ("\" separators,
// the packed folder's name first).
std::map<std::wstring, std::vector<uint8_t>> ExtractedFiles(const std::wstring& archive);
// genpak list, as text.
std::string ListArchive(const std::wstring& archive);

}  // namespace tavrin::testing
