#include "intr.h"

#include <windows.h>

#include <vector>

namespace tavrin {
namespace {
std::wstring& TitleStore() {
    static std::wstring title;
    return title;
}
}  // namespace

std::wstring GetEnvVar(const std::wstring& name) {
    constexpr DWORD kCapacity = 32768;  // the largest value the system allows
    std::vector<wchar_t> buffer(kCapacity);
    DWORD n = GetEnvironmentVariableW(name.c_str(), buffer.data(), kCapacity);
    if (n >= kCapacity) n = 0;  // cannot happen for a real variable; never read past the buffer
    return std::wstring(buffer.data(), n);
}

void SetMessageTitle(std::wstring title) { TitleStore() = std::move(title); }
const std::wstring& MessageTitle() { return TitleStore(); }

int32_t ShowMessage(std::wstring_view prompt, uint32_t style, std::wstring_view title) {
    std::wstring text(prompt);
    std::wstring caption = title.empty() ? MessageTitle() : std::wstring(title);
    return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), style);
}

}  // namespace tavrin
