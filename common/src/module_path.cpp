#include "tavrin/module_path.h"

#include <windows.h>

namespace tavrin {

std::wstring ModulePath(void* module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(static_cast<HMODULE>(module), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: a long path needs a larger buffer
    }
}

std::wstring ModuleFolder() {
    std::wstring path = ModulePath();
    return path.substr(0, path.rfind(L'\\') + 1);
}

}  // namespace tavrin
