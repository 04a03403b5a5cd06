// The window's taskbar button through the shell's taskbar list. Where the shell offers none (no
// Explorer running, some Wine set-ups) the button simply shows no progress.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "taskbar_progress.h"
#include "tavrin/handle_owners.h"

namespace tavrin {

class ShellTaskbarButton final : public TaskbarButton {
public:
    // From the window's thread, in a COM apartment, once the window exists.
    void Attach(HWND window);
    void SetProgressState(TaskbarState state) override;
    void SetProgressValue(uint64_t done, uint64_t total) override;

private:
    HWND window_ = nullptr;
    ComPtr<ITaskbarList3> list_;
};

}  // namespace tavrin
