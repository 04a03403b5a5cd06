// Where the registrar looks for the packer; registration stopping at a failing write at each step. The
// real registry and the version check: tests/e2e/shellbind_test.cpp.
#include <gtest/gtest.h>

#include "environment.h"
#include "reg_path.h"

namespace tavrin {
namespace {

struct RecordingRegistry : RegistryAccess {
    std::u16string failing;
    std::vector<std::u16string> attempted;
    void WriteText(const std::u16string& path, const std::u16string&) override {
        attempted.push_back(path);
        if (path == failing) throw RegistryError();
    }
    void DeleteKey(const std::u16string&) override {}
};

TEST(Registrar, FindsThePackerAndStopsRegisteringAtTheFirstFailedWrite) {
    EXPECT_EQ(PackerPathIn(ProgramFolderOf(u"\\\\srv\\工具 目录\\shellbind.exe")), u"\\\\srv\\工具 目录\\tunebale.exe");
    EXPECT_EQ(PackerPathIn(ProgramFolderOf(u"D:\\shellbind.exe")), u"D:\\tunebale.exe");  // a drive root
    const std::vector<RegistryEntry> entries = RegistrationEntries(u"D:\\tunebale.exe");
    for (size_t failing = 0; failing <= entries.size(); ++failing) {
        RecordingRegistry registry;
        if (failing < entries.size()) registry.failing = entries[failing].path;
        EXPECT_EQ(RegisterEnvironment(u"D:\\tunebale.exe", registry), failing == entries.size());
        EXPECT_EQ(registry.attempted.size(), std::min(failing + 1, entries.size())) << "nothing after a failure";
    }
}

}  // namespace
}  // namespace tavrin
