#include "environment.h"

#include "reg_path.h"

namespace tavrin {

std::u16string ProgramFolderOf(std::u16string_view modulePath) {
    size_t slash = modulePath.rfind(u'\\');
    if (slash == std::u16string_view::npos) return {};
    std::u16string folder(modulePath.substr(0, slash));
    if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
    return folder;
}

std::u16string PackerPathIn(std::u16string_view folder) {
    std::u16string path(folder);
    if (path.empty() || path.back() != u'\\') path += u'\\';
    return path + std::u16string(kPackerFileName);
}

bool PackerAccepted(const FileVersionRecord& packer) { return packer.FileRevision >= kMinimumPackerRevision; }

std::vector<RegistryEntry> RegistrationEntries(std::u16string_view packerPath) {
    // Explorer puts the right-clicked folder in place of %1; tunebale reads the switch letters
    // from the second token and the folder from the third.
    auto command = [&](std::u16string_view switches) {
        return u"\"" + std::u16string(packerPath) + u"\" " + std::u16string(switches) + u" \"%1\"";
    };
    return {
        {u"HKCR\\.pak\\", u"PAKFile"},
        {u"HKCR\\.tvn\\", u"TVNFile"},
        {u"HKCR\\PAKFile\\", u"PAK 文件"},
        {u"HKCR\\TVNFile\\", u"TVN 文件"},
        {u"HKCR\\Directory\\shell\\tvnpak\\", u"打包为T&avrin歌曲包"},
        {u"HKCR\\Directory\\shell\\tvnpak\\command\\", command(u"-cpr")},
        {u"HKCR\\Directory\\shell\\tvnpakr\\", u"仅打包为TVN文件(&3)"},
        {u"HKCR\\Directory\\shell\\tvnpakr\\command\\", command(u"-cr")},
    };
}

const std::vector<std::u16string>& RemovalPaths() {
    static const std::vector<std::u16string> paths = {
        u"HKCR\\Directory\\shell\\tvnpak\\command\\",  u"HKCR\\Directory\\shell\\tvnpak\\",
        u"HKCR\\Directory\\shell\\tvnpakr\\command\\", u"HKCR\\Directory\\shell\\tvnpakr\\",
        u"HKCR\\Folder\\shell\\tvnpak\\command\\",     u"HKCR\\Folder\\shell\\tvnpak\\",
        u"HKCR\\Folder\\shell\\tvnpakr\\command\\",    u"HKCR\\Folder\\shell\\tvnpakr\\",
    };
    return paths;
}

bool RegisterEnvironment(std::u16string_view packerPath, RegistryAccess& registry) {
    try {
        for (const RegistryEntry& entry : RegistrationEntries(packerPath)) registry.WriteText(entry.path, entry.value);
    } catch (const RegistryError&) {
        return false;
    }
    return true;
}

void RemoveEnvironment(RegistryAccess& registry) {
    for (const std::u16string& path : RemovalPaths()) {
        try {
            registry.DeleteKey(path);
        } catch (const RegistryError&) {
            // A key that is missing, or still has subkeys, stays; the rest go on.
        }
    }
}

}  // namespace tavrin
