// mReg against the prefix's real registry, under a scratch key of its own that each test removes.
#include "reg.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tavrin {
namespace {

struct Stored {
    DWORD type = 0;
    std::vector<uint8_t> bytes;
};

std::optional<Stored> ReadValue(HKEY root, const std::wstring& subKey, const std::wstring& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    Stored s;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &s.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        s.bytes.resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &s.type, s.bytes.data(), &size);
        s.bytes.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return s;
}

bool KeyExists(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The text and its NUL, as REG_SZ data.
std::vector<uint8_t> SzBytes(const std::wstring& text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.c_str());
    return std::vector<uint8_t>(p, p + (text.size() + 1) * sizeof(wchar_t));
}

template <typename F>
bool RaisesRegistryError(F&& operation) {
    try {
        operation();
    } catch (const RegistryError& e) {
        return static_cast<uint32_t>(e.Number()) == 0x80070002u;
    }
    return false;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = L"Software\\TavrinTest\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(GetTickCount64());
        classesScratch_ =
            L"TavrinTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TavrinTest");  // only when no other run uses it
        RegDeleteTreeW(HKEY_CLASSES_ROOT, classesScratch_.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, classesScratch_.c_str());
    }
    // A path below the scratch key, in the registrar's notation.
    std::wstring Path(const std::wstring& below) const { return L"HKCU\\" + scratch_ + L"\\" + below; }
    std::wstring Key(const std::wstring& below) const { return scratch_ + L"\\" + below; }

    std::wstring scratch_;
    std::wstring classesScratch_;
};

TEST_F(Registry, WritesTextsAsDefaultOrNamedValuesCreatingTheKeysOnTheWay) {
    // A trailing backslash writes the key's default value; missing keys along the path are
    // created, without values of their own.
    const std::wstring command = L"\"C:\\Program Files\\工具\\tunebale.exe\" -cpr \"%1\"";
    EXPECT_TRUE(RegWrite(Path(L"Directory\\shell\\tvnpak\\command\\"), command, REG_SZ));
    std::optional<Stored> v = ReadValue(HKEY_CURRENT_USER, Key(L"Directory\\shell\\tvnpak\\command"), L"");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(v->bytes, SzBytes(command));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, Key(L"Directory\\shell\\tvnpak"), L""));
    // Text after the last backslash names a value.
    EXPECT_TRUE(RegWrite(Path(L"Demo\\Level"), L"3", REG_SZ));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, Key(L"Demo"), L"Level")->bytes, SzBytes(L"3"));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, Key(L"Demo"), L""));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key(L"Demo\\Level")));
    // Empty, Chinese and access-key texts unchanged; writing again overwrites.
    for (const std::wstring text : {L"", L"first, the longer one", L"打包为T&avrin歌曲包", L"仅打包为TVN文件(&3)"}) {
        EXPECT_TRUE(RegWrite(Path(L"Verb\\"), text, REG_SZ));
        EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, Key(L"Verb"), L"")->bytes, SzBytes(text));
    }
    // Long root names and the classes root.
    EXPECT_TRUE(RegWrite(L"HKEY_CURRENT_USER\\" + scratch_ + L"\\Long\\", L"long", REG_SZ));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, Key(L"Long"), L"")->bytes, SzBytes(L"long"));
    EXPECT_TRUE(RegWrite(L"HKCR\\" + classesScratch_ + L"\\", L"TVNFile", REG_SZ));
    EXPECT_TRUE(RegWrite(L"HKEY_CLASSES_ROOT\\" + classesScratch_ + L"\\shell\\", L"verbs", REG_SZ));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, classesScratch_, L"")->bytes, SzBytes(L"TVNFile"));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, classesScratch_ + L"\\shell", L"")->bytes, SzBytes(L"verbs"));
}

TEST_F(Registry, BadPathsRootsAndTypesRaiseTheErrorAndWriteNothing) {
    EXPECT_TRUE(RaisesRegistryError([&] { RegWrite(L"HKCU\\TavrinTestSingle", L"x", REG_SZ); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegWrite(L"HKCU", L"x", REG_SZ); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(L"HKCU\\TavrinTestSingle"); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(L""); }));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"TavrinTestSingle"));
    for (const std::wstring root : {L"hkcu", L"Hkcu", L"HKCC", L"HKEY_current_user", L"HKCU "}) {
        EXPECT_TRUE(RaisesRegistryError([&] { RegWrite(root + L"\\" + scratch_ + L"\\Bad\\", L"x", REG_SZ); }))
            << std::string(root.begin(), root.end());
        EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(root + L"\\" + scratch_ + L"\\"); }));
    }
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key(L"Bad")));
    EXPECT_TRUE(RaisesRegistryError([&] { RegWriteValue(nullptr, L"Software", L"", L"x", REG_SZ); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegDeleteEntry(nullptr, L"Software", L""); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegWrite(Path(L"Typed\\Count"), L"5", REG_DWORD); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegWrite(Path(L"Typed\\Blob"), L"5", REG_BINARY); }));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key(L"Typed")));
    EXPECT_TRUE(RegWrite(Path(L"Typed\\Expand"), L"%TEMP%\\x", REG_EXPAND_SZ));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, Key(L"Typed"), L"Expand")->type, static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(Registry, DeletesKeysWithoutSubkeysAndNamedValues) {
    RegWrite(Path(L"Verb\\command\\"), L"cmd", REG_SZ);
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(Path(L"Verb\\")); })) << "a key with subkeys stays";
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, Key(L"Verb\\command"), L"")->bytes, SzBytes(L"cmd"));
    EXPECT_TRUE(RegDelete(Path(L"Verb\\command\\")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key(L"Verb\\command")));
    EXPECT_TRUE(RegDelete(Path(L"Verb\\")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key(L"Verb")));
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(Path(L"Nothing\\Here\\")); }));
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(L"HKCU\\\\"); })) << "never the root itself";
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
    RegWrite(Path(L"Demo\\Level"), L"3", REG_SZ);
    RegWrite(Path(L"Demo\\"), L"default", REG_SZ);
    EXPECT_TRUE(RegDelete(Path(L"Demo\\Level")));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, Key(L"Demo"), L"Level"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, Key(L"Demo"), L"")->bytes, SzBytes(L"default"));
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(Path(L"Demo\\Level")); })) << "already gone";
    EXPECT_TRUE(RaisesRegistryError([&] { RegDelete(Path(L"NoKey\\Level")); }));
}

}  // namespace
}  // namespace tavrin
