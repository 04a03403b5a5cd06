// Registry path notation and the one registry error. Portable: no Windows headers.
//
// A path is the root name, a backslash, the subkey (which may hold backslashes of its own, or be
// empty), a backslash and the value name. A path ending in a backslash has an empty value name:
// writing then sets the key's default value, deleting removes the key itself.
//   "HKCR\Directory\shell\tvnpak\command\"  the key (or default value) Directory\shell\tvnpak\command
//   "HKCU\Software\Demo\Level"              the value Level of the key Software\Demo
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace tavrin {

// Every registry failure, whatever the platform reported: the platform's code for a file that was
// not found. Callers tell success from failure, nothing more.
class RegistryError : public std::exception {
public:
    static constexpr int32_t kNumber = static_cast<int32_t>(0x80070002u);
    int32_t Number() const noexcept { return kNumber; }
    const char* what() const noexcept override { return "registry error"; }
};

enum class RegRoot { kNone, kClassesRoot, kCurrentUser, kLocalMachine, kUsers, kCurrentConfig };

// The root of a root name, compared exactly: "HKCR" or "HKEY_CLASSES_ROOT", "HKCU" or
// "HKEY_CURRENT_USER", "HKLM" or "HKEY_LOCAL_MACHINE", "HKU" or "HKEY_USERS",
// "HKEY_CURRENT_CONFIG". Anything else, other cases included, is kNone.
RegRoot RegRootByName(std::u16string_view name);

struct RegPath {
    RegRoot root = RegRoot::kNone;  // kNone for an unknown root name; the operation then fails
    std::u16string subKey;
    std::u16string valueName;
};

// Raises RegistryError when the path has no backslash, or none after the one ending the root name.
RegPath SplitRegPath(std::u16string_view path);

}  // namespace tavrin
