#include "archive_check.h"

#include <gtest/gtest.h>

#include <sstream>

#include "genpak_commands.h"
#include "temp_folder.h"

namespace tavrin::testing {

std::string VerifyFaults(const std::wstring& archive) {
    std::ostringstream out, err;
    if (genpak::tool::Run({L"verify", archive}, out, err) == 0) return {};
    return out.str() + err.str() + "(verify failed)";
}

std::map<std::wstring, std::vector<uint8_t>> ExtractedFiles(const std::wstring& archive) {
    TempFolder extracted;
    std::ostringstream out, err;
    EXPECT_EQ(genpak::tool::Run({L"extract", archive, extracted.Path()}, out, err), 0) << err.str();
    return FileTree(extracted.Path());
}

std::string ListArchive(const std::wstring& archive) {
    std::ostringstream out, err;
    genpak::tool::Run({L"list", archive}, out, err);
    return out.str();
}

}  // namespace tavrin::testing
