#include "reg.h"

#include "tavrin/text.h"
#include "tavrin/handle_owners.h"

namespace tavrin {

HKEY RootKey(RegRoot root) {
    switch (root) {
        case RegRoot::kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegRoot::kCurrentUser:
            return HKEY_CURRENT_USER;
        case RegRoot::kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegRoot::kUsers:
            return HKEY_USERS;
        case RegRoot::kCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        case RegRoot::kNone:
            break;
    }
    return nullptr;
}

bool RegWrite(const std::wstring& path, const std::wstring& value, uint32_t valueType) {
    RegPath parts = SplitRegPath(ToU16(path));
    return RegWriteValue(RootKey(parts.root), FromU16(parts.subKey), FromU16(parts.valueName), value, valueType);
}

bool RegDelete(const std::wstring& path) {
    RegPath parts = SplitRegPath(ToU16(path));
    return RegDeleteEntry(RootKey(parts.root), FromU16(parts.subKey), FromU16(parts.valueName));
}

bool RegWriteValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, const std::wstring& value,
                   uint32_t valueType) {
    // Without a root, or with a type the text cannot be, there is nothing to hand the platform.
    if (!root || (valueType != REG_SZ && valueType != REG_EXPAND_SZ)) throw RegistryError();

    SECURITY_ATTRIBUTES security{};
    security.nLength = sizeof(security);
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;
    HKEY raw = nullptr;
    DWORD disposition = 0;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, &security, &raw,
                        &disposition) != ERROR_SUCCESS)
        throw RegistryError();
    RegistryKey key(raw);

    // The data counts its terminating NUL: an empty text is stored as the NUL alone.
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    LSTATUS set =
        RegSetValueExW(key.Get(), valueName.c_str(), 0, valueType, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    key.Reset();
    if (set != ERROR_SUCCESS) throw RegistryError();
    return true;
}

bool RegDeleteEntry(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    if (!root) throw RegistryError();
    if (valueName.empty()) {
        // An empty subkey would name the root itself, which is never ours to delete.
        if (subKey.empty() || RegDeleteKeyW(root, subKey.c_str()) != ERROR_SUCCESS) throw RegistryError();
        return true;
    }
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) throw RegistryError();
    RegistryKey key(raw);
    if (RegDeleteValueW(key.Get(), valueName.c_str()) != ERROR_SUCCESS) throw RegistryError();
    return true;
}

}  // namespace tavrin
