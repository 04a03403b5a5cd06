// Registry path notation: root names, subkey and value name, and the paths that cannot be split.
#include "reg_path.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(RegPath, SplitsRootSubkeyAndValueName) {
    const struct {
        std::u16string_view path;
        RegRoot root;
        std::u16string subKey, valueName;
    } cases[] = {
        {u"HKCR\\.pak\\", RegRoot::kClassesRoot, u".pak", u""},  // a trailing backslash: the default value
        {u"HKCR\\Directory\\shell\\tvnpak\\command\\", RegRoot::kClassesRoot, u"Directory\\shell\\tvnpak\\command",
         u""},
        {u"HKLM\\Software\\Demo\\Level", RegRoot::kLocalMachine, u"Software\\Demo", u"Level"},
        {u"HKCU\\\\Level", RegRoot::kCurrentUser, u"", u"Level"},  // an empty subkey is the root itself
        {u"HKCU\\键\\值 名", RegRoot::kCurrentUser, u"键", u"值 名"},
        {u"HKEY_CLASSES_ROOT\\a\\", RegRoot::kClassesRoot, u"a", u""},
        {u"HKEY_CURRENT_USER\\a\\", RegRoot::kCurrentUser, u"a", u""},
        {u"HKEY_LOCAL_MACHINE\\a\\", RegRoot::kLocalMachine, u"a", u""},
        {u"HKU\\a\\", RegRoot::kUsers, u"a", u""},
        {u"HKEY_USERS\\a\\", RegRoot::kUsers, u"a", u""},
        {u"HKEY_CURRENT_CONFIG\\a\\", RegRoot::kCurrentConfig, u"a", u""},
        // Other cases and unlisted short forms select no root; the operation that follows fails.
        {u"hkcr\\.pak\\", RegRoot::kNone, u".pak", u""},
        {u"Hkcu\\a\\", RegRoot::kNone, u"a", u""},
        {u"HKCC\\a\\", RegRoot::kNone, u"a", u""},
        {u"HKEY_DYN_DATA\\a\\", RegRoot::kNone, u"a", u""},
        {u"HKCR \\a\\", RegRoot::kNone, u"a", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path.begin(), c.path.end()));
        const RegPath p = SplitRegPath(c.path);
        EXPECT_EQ(p.root, c.root);
        EXPECT_EQ(p.subKey, c.subKey);
        EXPECT_EQ(p.valueName, c.valueName);
    }
    for (std::u16string_view bad : {u"", u"HKCR", u"HKCR\\.pak", u"HKCR\\", u"\\", u"HKCU\\Software"}) {
        try {
            SplitRegPath(bad);
            ADD_FAILURE() << "split " << std::string(bad.begin(), bad.end());
        } catch (const RegistryError& e) {
            EXPECT_EQ(static_cast<uint32_t>(e.Number()), 0x80070002u);
        }
    }
}

}  // namespace
}  // namespace tavrin
