// The registrar's packer path and version check, and how registration and removal meet failures,
// against a registry that records what it is asked. What they write is checked in the real
// registry by tests/e2e/shellbind_test.cpp.
#include "environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "reg_path.h"

namespace tavrin {
namespace {

class RecordingRegistry : public RegistryAccess {
public:
    std::set<std::u16string> failing;
    std::vector<std::u16string> attempted;
    std::vector<RegistryEntry> written;
    std::vector<std::u16string> deleted;

    void WriteText(const std::u16string& path, const std::u16string& value) override {
        attempted.push_back(path);
        if (failing.count(path)) throw RegistryError();
        written.push_back({path, value});
    }
    void DeleteKey(const std::u16string& path) override {
        attempted.push_back(path);
        if (failing.count(path)) throw RegistryError();
        deleted.push_back(path);
    }
};

TEST(Environment, PackerPathAndVersionCheck) {
    EXPECT_EQ(ProgramFolderOf(u"D:\\Songs\\shellbind.exe"), u"D:\\Songs");
    EXPECT_EQ(PackerPathIn(ProgramFolderOf(u"D:\\Songs\\shellbind.exe")), u"D:\\Songs\\tunebale.exe");
    EXPECT_EQ(PackerPathIn(ProgramFolderOf(u"\\\\server\\share\\工具\\shellbind.exe")),
              u"\\\\server\\share\\工具\\tunebale.exe");
    // In a drive root, a single backslash.
    EXPECT_EQ(ProgramFolderOf(u"D:\\shellbind.exe"), u"D:\\");
    EXPECT_EQ(PackerPathIn(ProgramFolderOf(u"D:\\shellbind.exe")), u"D:\\tunebale.exe");
    // The fourth component must reach 37, whatever the others.
    const std::pair<std::array<int32_t, 4>, bool> versions[] = {
        {{1, 3, 0, 36}, false}, {{65535, 65535, 65535, 36}, false}, {{0, 0, 0, 37}, true},
        {{1, 3, 0, 64}, true},  {{0, 0, 0, 65535}, true},           {{0, 0, 0, 0}, false}};
    for (const auto& [v, accepted] : versions) {
        FileVersionRecord r;
        r.FileMajor = v[0];
        r.FileMinor = v[1];
        r.FileBuild = v[2];
        r.FileRevision = v[3];
        EXPECT_EQ(PackerAccepted(r), accepted) << v[0] << "." << v[1] << "." << v[2] << "." << v[3];
    }
    EXPECT_FALSE(PackerAccepted(FileVersionRecord{})) << "no version information";
}

TEST(Registration, WritesAllEntriesAndReportsSuccess) {
    RecordingRegistry registry;
    EXPECT_TRUE(RegisterEnvironment(u"D:\\tunebale.exe", registry));
    const std::vector<RegistryEntry> entries = RegistrationEntries(u"D:\\tunebale.exe");
    ASSERT_EQ(registry.written.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(registry.written[i].path, entries[i].path);
        EXPECT_EQ(registry.written[i].value, entries[i].value);
    }
    EXPECT_TRUE(RegisterEnvironment(u"D:\\tunebale.exe", registry)) << "registering again";
    EXPECT_EQ(registry.written.size(), 2 * entries.size());
}

TEST(Registration, StopsAtTheFirstFailedWriteAndKeepsWhatWasWritten) {
    const std::vector<RegistryEntry> entries = RegistrationEntries(u"D:\\tunebale.exe");
    for (size_t failing = 0; failing < entries.size(); ++failing) {
        RecordingRegistry registry;
        registry.failing.insert(entries[failing].path);
        EXPECT_FALSE(RegisterEnvironment(u"D:\\tunebale.exe", registry)) << failing;
        EXPECT_EQ(registry.written.size(), failing);
        EXPECT_EQ(registry.attempted.size(), failing + 1) << "nothing after the failure is tried";
    }
}

TEST(Removal, DeletesEachCommandBeforeItsVerbAndLeavesTheFileTypes) {
    RecordingRegistry registry;
    RemoveEnvironment(registry);
    EXPECT_EQ(registry.deleted, RemovalPaths());
    EXPECT_EQ(RemovalPaths().size(), 8u) << "two verbs under Directory and Folder";
    for (size_t i = 0; i < RemovalPaths().size(); i += 2) {
        EXPECT_EQ(RemovalPaths()[i], RemovalPaths()[i + 1] + u"command\\");
    }
    for (const RegistryEntry& entry : RegistrationEntries(u"D:\\tunebale.exe")) {
        const bool verb = entry.path.find(u"shell") != std::u16string::npos;
        const bool removed =
            std::find(RemovalPaths().begin(), RemovalPaths().end(), entry.path) != RemovalPaths().end();
        EXPECT_EQ(removed, verb) << entry.path.size();
    }
}

TEST(Removal, EveryDeletionIsTriedWhateverFailedBefore) {
    RecordingRegistry registry;
    for (const std::u16string& path : RemovalPaths()) registry.failing.insert(path);
    RemoveEnvironment(registry);
    EXPECT_EQ(registry.attempted, RemovalPaths());
    EXPECT_TRUE(registry.deleted.empty());

    RecordingRegistry some;
    some.failing = {RemovalPaths()[1], RemovalPaths()[6]};
    RemoveEnvironment(some);
    EXPECT_EQ(some.attempted, RemovalPaths());
    EXPECT_EQ(some.deleted.size(), RemovalPaths().size() - 2);
}

}  // namespace
}  // namespace tavrin
