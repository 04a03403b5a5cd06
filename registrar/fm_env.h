// The registrar's window: the packer's detected version and the two buttons.
#pragma once

#include <windows.h>

#include <string>

#include "tavrin/form_window.h"

namespace tavrin {

enum FmEnvControl : int {
    kIdCmdReg = 201,
    kIdCmdUnreg = 202,
    kIdLbInfo = 203,
};

class FmEnv : public FormWindow {
public:
    // Runs the start-up checks, then creates the window without showing it. False when a check
    // refused the packer (the user has been told why) or the window could not be made: the
    // program then ends.
    bool Load(HINSTANCE instance);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void CmdRegClick();
    void CmdUnregClick();

    std::wstring packerPath_;  // both registered commands start this file
};

}  // namespace tavrin
