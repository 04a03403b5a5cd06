// Registry path notation: root names, subkey and value name, and the paths that cannot be split.
#include "reg_path.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(SplitRegPath, TrailingBackslashAddressesTheDefaultValueOrTheKey) {
    RegPath p = SplitRegPath(u"HKCR\\.pak\\");
    EXPECT_EQ(p.root, RegRoot::kClassesRoot);
    EXPECT_EQ(p.subKey, u".pak");
    EXPECT_EQ(p.valueName, u"");

    p = SplitRegPath(u"HKCR\\Directory\\shell\\tvnpak\\command\\");
    EXPECT_EQ(p.subKey, u"Directory\\shell\\tvnpak\\command");
    EXPECT_EQ(p.valueName, u"");
}

TEST(SplitRegPath, TextAfterTheLastBackslashIsTheValueName) {
    RegPath p = SplitRegPath(u"HKLM\\Software\\Demo\\Level");
    EXPECT_EQ(p.root, RegRoot::kLocalMachine);
    EXPECT_EQ(p.subKey, u"Software\\Demo");
    EXPECT_EQ(p.valueName, u"Level");

    p = SplitRegPath(u"HKCU\\\\Level");
    EXPECT_EQ(p.subKey, u"") << "an empty subkey is the root itself";
    EXPECT_EQ(p.valueName, u"Level");

    p = SplitRegPath(u"HKCU\\键\\值 名");
    EXPECT_EQ(p.subKey, u"键");
    EXPECT_EQ(p.valueName, u"值 名");
}

TEST(SplitRegPath, PathsWithoutTwoBackslashesRaiseTheRegistryError) {
    for (std::u16string_view bad : {u"", u"HKCR", u"HKCR\\.pak", u"HKCR\\", u"\\", u"HKCU\\Software"}) {
        try {
            SplitRegPath(bad);
            ADD_FAILURE() << "split " << std::string(bad.begin(), bad.end());
        } catch (const RegistryError& e) {
            EXPECT_EQ(static_cast<uint32_t>(e.Number()), 0x80070002u);
        }
    }
}

TEST(RegRootByName, LongAndShortFormsNameTheFiveRoots) {
    EXPECT_EQ(RegRootByName(u"HKCR"), RegRoot::kClassesRoot);
    EXPECT_EQ(RegRootByName(u"HKEY_CLASSES_ROOT"), RegRoot::kClassesRoot);
    EXPECT_EQ(RegRootByName(u"HKCU"), RegRoot::kCurrentUser);
    EXPECT_EQ(RegRootByName(u"HKEY_CURRENT_USER"), RegRoot::kCurrentUser);
    EXPECT_EQ(RegRootByName(u"HKLM"), RegRoot::kLocalMachine);
    EXPECT_EQ(RegRootByName(u"HKEY_LOCAL_MACHINE"), RegRoot::kLocalMachine);
    EXPECT_EQ(RegRootByName(u"HKU"), RegRoot::kUsers);
    EXPECT_EQ(RegRootByName(u"HKEY_USERS"), RegRoot::kUsers);
    EXPECT_EQ(RegRootByName(u"HKEY_CURRENT_CONFIG"), RegRoot::kCurrentConfig);
}

TEST(RegRootByName, OtherCasesAndUnlistedShortFormsSelectNoRoot) {
    for (std::u16string_view name : {u"hkcr", u"Hkcu", u"hkey_classes_root", u"HKCC", u"HKEY_DYN_DATA", u"HKCR ",
                                     u" HKCR", u"HKEY_CURRENT_USER_LOCAL_SETTINGS", u""})
        EXPECT_EQ(RegRootByName(name), RegRoot::kNone) << std::string(name.begin(), name.end());
    // The split itself still succeeds; the operation that follows fails.
    EXPECT_EQ(SplitRegPath(u"hkcr\\.pak\\").root, RegRoot::kNone);
}

}  // namespace
}  // namespace tavrin
