#include "tavrin/message_box.h"

#include <windows.h>

namespace tavrin {
namespace {
std::wstring& TitleStore() {
    static std::wstring title;
    return title;
}
}  // namespace

void SetMessageTitle(std::wstring title) { TitleStore() = std::move(title); }
const std::wstring& MessageTitle() { return TitleStore(); }

int32_t ShowMessage(std::wstring_view prompt, uint32_t style, std::wstring_view title) {
    std::wstring text(prompt);
    std::wstring caption = title.empty() ? MessageTitle() : std::wstring(title);
    return MessageBoxW(GetActiveWindow(), text.c_str(), caption.c_str(), style);
}

}  // namespace tavrin
