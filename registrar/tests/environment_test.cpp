// The registrar's registry lists, its packer path and version check, and how registration and
// removal meet failures, against a registry that records what it is asked.
#include "environment.h"

#include <gtest/gtest.h>

#include <set>

#include "reg_path.h"

namespace tavrin {
namespace {

std::string Utf8(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

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

TEST(PackerPath, SitsBesideTheRegistrar) {
    EXPECT_EQ(Utf8(ProgramFolderOf(u"D:\\Songs\\shellbind.exe")), "D:\\Songs");
    EXPECT_EQ(Utf8(PackerPathIn(ProgramFolderOf(u"D:\\Songs\\shellbind.exe"))), "D:\\Songs\\tunebale.exe");
    EXPECT_EQ(Utf8(PackerPathIn(ProgramFolderOf(u"\\\\server\\share\\工具\\shellbind.exe"))),
              "\\\\server\\share\\工具\\tunebale.exe");
}

TEST(PackerPath, InADriveRootHasASingleBackslash) {
    EXPECT_EQ(Utf8(ProgramFolderOf(u"D:\\shellbind.exe")), "D:\\");
    EXPECT_EQ(Utf8(PackerPathIn(ProgramFolderOf(u"D:\\shellbind.exe"))), "D:\\tunebale.exe");
    EXPECT_EQ(Utf8(PackerPathIn(u"E:\\")), "E:\\tunebale.exe");
}

TEST(VersionCheck, TheFourthComponentMustReach37WhateverTheOthers) {
    auto packer = [](int32_t major, int32_t minor, int32_t build, int32_t revision) {
        FileVersionRecord r;
        r.FileMajor = major;
        r.FileMinor = minor;
        r.FileBuild = build;
        r.FileRevision = revision;
        return r;
    };
    EXPECT_FALSE(PackerAccepted(packer(1, 3, 0, 36)));
    EXPECT_FALSE(PackerAccepted(packer(65535, 65535, 65535, 36)));
    EXPECT_TRUE(PackerAccepted(packer(0, 0, 0, 37)));
    EXPECT_TRUE(PackerAccepted(packer(1, 3, 0, 64)));
    EXPECT_TRUE(PackerAccepted(packer(0, 0, 0, 65535)));
    EXPECT_FALSE(PackerAccepted(FileVersionRecord{})) << "no version information";
}

TEST(Registration, EightDefaultValuesInOrder) {
    const std::vector<RegistryEntry> entries = RegistrationEntries(u"D:\\Songs\\tunebale.exe");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"HKCR\\.pak\\", "PAKFile"},
        {"HKCR\\.tvn\\", "TVNFile"},
        {"HKCR\\PAKFile\\", "PAK 文件"},
        {"HKCR\\TVNFile\\", "TVN 文件"},
        {"HKCR\\Directory\\shell\\tvnpak\\", "打包为T&avrin歌曲包"},
        {"HKCR\\Directory\\shell\\tvnpak\\command\\", "\"D:\\Songs\\tunebale.exe\" -cpr \"%1\""},
        {"HKCR\\Directory\\shell\\tvnpakr\\", "仅打包为TVN文件(&3)"},
        {"HKCR\\Directory\\shell\\tvnpakr\\command\\", "\"D:\\Songs\\tunebale.exe\" -cr \"%1\""},
    };
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(Utf8(entries[i].path), expected[i].first) << i;
        EXPECT_EQ(Utf8(entries[i].value), expected[i].second) << i;
        EXPECT_EQ(SplitRegPath(entries[i].path).valueName, u"") << "default values only";
    }
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

TEST(Removal, DeletesEachVerbsCommandBeforeTheVerbUnderBothClasses) {
    RecordingRegistry registry;
    RemoveEnvironment(registry);
    const std::vector<std::string> expected = {
        "HKCR\\Directory\\shell\\tvnpak\\command\\",  "HKCR\\Directory\\shell\\tvnpak\\",
        "HKCR\\Directory\\shell\\tvnpakr\\command\\", "HKCR\\Directory\\shell\\tvnpakr\\",
        "HKCR\\Folder\\shell\\tvnpak\\command\\",     "HKCR\\Folder\\shell\\tvnpak\\",
        "HKCR\\Folder\\shell\\tvnpakr\\command\\",    "HKCR\\Folder\\shell\\tvnpakr\\",
    };
    ASSERT_EQ(registry.deleted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Utf8(registry.deleted[i]), expected[i]);
}

TEST(Removal, LeavesTheFileTypesAlone) {
    for (const std::u16string& path : RemovalPaths()) {
        for (const RegistryEntry& entry : RegistrationEntries(u"D:\\tunebale.exe")) {
            if (entry.path.find(u"shell") == std::u16string::npos) {
                EXPECT_NE(path, entry.path);
            }
        }
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
