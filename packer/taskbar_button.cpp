#include "taskbar_button.h"

namespace tavrin {

void ShellTaskbarButton::Attach(HWND window) {
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list))))
        return;
    ComPtr<ITaskbarList3> owner(list);
    if (FAILED(list->HrInit())) return;
    list_ = std::move(owner);
    window_ = window;
}

// The shell's answers are not checked: a button it has not made yet, or no longer has, only
// means no bar, and the next update tries again.
void ShellTaskbarButton::SetProgressState(TaskbarState state) {
    if (!list_) return;
    const TBPFLAG flag = state == TaskbarState::kNormal  ? TBPF_NORMAL
                         : state == TaskbarState::kError ? TBPF_ERROR
                                                         : TBPF_NOPROGRESS;
    list_.Get()->SetProgressState(window_, flag);
}

void ShellTaskbarButton::SetProgressValue(uint64_t done, uint64_t total) {
    if (list_) list_.Get()->SetProgressValue(window_, done, total);
}

}  // namespace tavrin
