#include "reg_path.h"

#include <array>
#include <utility>

namespace tavrin {

RegRoot RegRootByName(std::u16string_view name) {
    static constexpr std::array<std::pair<std::u16string_view, RegRoot>, 9> kRoots{{
        {u"HKCR", RegRoot::kClassesRoot},
        {u"HKEY_CLASSES_ROOT", RegRoot::kClassesRoot},
        {u"HKCU", RegRoot::kCurrentUser},
        {u"HKEY_CURRENT_USER", RegRoot::kCurrentUser},
        {u"HKLM", RegRoot::kLocalMachine},
        {u"HKEY_LOCAL_MACHINE", RegRoot::kLocalMachine},
        {u"HKU", RegRoot::kUsers},
        {u"HKEY_USERS", RegRoot::kUsers},
        {u"HKEY_CURRENT_CONFIG", RegRoot::kCurrentConfig},
    }};
    for (const auto& [rootName, root] : kRoots)
        if (rootName == name) return root;
    return RegRoot::kNone;
}

RegPath SplitRegPath(std::u16string_view path) {
    size_t first = path.find(u'\\');
    if (first == std::u16string_view::npos) throw RegistryError();
    std::u16string_view rest = path.substr(first + 1);
    size_t last = rest.rfind(u'\\');
    if (last == std::u16string_view::npos) throw RegistryError();
    RegPath parts;
    parts.root = RegRootByName(path.substr(0, first));
    parts.subKey = rest.substr(0, last);
    parts.valueName = rest.substr(last + 1);
    return parts;
}

}  // namespace tavrin
