// What the registrar writes and removes, and when it agrees to work. Portable: the window hands
// in the registry through RegistryAccess, which tests replace.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tavrin/version_info.h"

namespace tavrin {

// Packers whose fourth file-version component is below this cannot take the registered commands.
inline constexpr int32_t kMinimumPackerRevision = 37;
inline constexpr std::u16string_view kPackerFileName = u"tunebale.exe";

// The folder of a program file: its path up to the last backslash, which is kept only when the
// folder is a drive root ("D:\").
std::u16string ProgramFolderOf(std::u16string_view modulePath);
// The packer in a folder, with exactly one backslash between them.
std::u16string PackerPathIn(std::u16string_view folder);

bool PackerAccepted(const FileVersionRecord& packer);

struct RegistryEntry {
    std::u16string path;   // registry path notation, always addressing a key's default value
    std::u16string value;  // REG_SZ
};

// The two file types and the two folder commands, in the order they are written.
std::vector<RegistryEntry> RegistrationEntries(std::u16string_view packerPath);
// The keys removal deletes, each verb's "command" before the verb itself (the platform deletes
// only keys without subkeys). Both the Directory and the Folder class lose the verbs; the file
// types stay.
const std::vector<std::u16string>& RemovalPaths();

// The registry as the two buttons use it. Both operations raise RegistryError on failure.
class RegistryAccess {
public:
    virtual ~RegistryAccess() = default;
    virtual void WriteText(const std::u16string& path, const std::u16string& value) = 0;
    virtual void DeleteKey(const std::u16string& path) = 0;
};

// Writes the entries in order and stops at the first failure, keeping what was written.
// Returns whether all were written.
bool RegisterEnvironment(std::u16string_view packerPath, RegistryAccess& registry);
// Deletes every key of the removal list, whether or not the ones before it could be deleted.
void RemoveEnvironment(RegistryAccess& registry);

}  // namespace tavrin
