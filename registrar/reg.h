// mReg: writes registry values and deletes keys or values, each addressed by one path (see
// reg_path.h). Every failure raises RegistryError; nothing is shown to the user.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "reg_path.h"

namespace tavrin {

// The root key of a root; null for RegRoot::kNone.
HKEY RootKey(RegRoot root);

// Splits the path and writes the value (see RegWriteValue). Returns true.
bool RegWrite(const std::wstring& path, const std::wstring& value, uint32_t valueType);
// Splits the path and deletes the key or value (see RegDeleteEntry). Returns true.
bool RegDelete(const std::wstring& path);

// Creates the key and any missing keys above it, then sets the value: the text and one NUL, as
// REG_SZ (or REG_EXPAND_SZ when asked). Other value types are refused with the registry error and
// touch nothing. A key created on the way stays even when setting the value fails.
bool RegWriteValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, const std::wstring& value,
                   uint32_t valueType);
// An empty value name deletes the key itself, which the platform refuses while the key has
// subkeys or when it does not exist; otherwise deletes the named value of the key.
bool RegDeleteEntry(HKEY root, const std::wstring& subKey, const std::wstring& valueName);

}  // namespace tavrin
