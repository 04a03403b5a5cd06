#include "fm_env.h"

#include <array>

#include "environment.h"
#include "file_version.h"
#include "reg.h"
#include "tavrin/message_box.h"
#include "tavrin/module_path.h"
#include "tavrin/text.h"

namespace tavrin {
namespace {

constexpr wchar_t kAppTitle[] = L"tunebale环境设置工具";

constexpr std::array<ControlLayout, 3> kControls{{
    {kIdCmdReg, L"Button", L"注册tunebale环境", kButtonStyle, 0, {840, 480, 3735, 495}},
    {kIdCmdUnreg, L"Button", L"清除tunebale环境", kButtonStyle, 0, {840, 960, 3735, 495}},
    {kIdLbInfo, L"Static", L"检测到你的tunebale.exe的版本为 ", kLabelStyle, 0, {240, 120, 4932, 252}},
}};

constexpr FormLayout kForm{L"TavrinShellbindEnv", kAppTitle, 5424, 1704, kControls};

// A file of that name that is neither a folder nor hidden nor a system file.
bool IsPlainFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

class WindowsRegistry : public RegistryAccess {
public:
    void WriteText(const std::u16string& path, const std::u16string& value) override {
        RegWrite(FromU16(path), FromU16(value), REG_SZ);
    }
    void DeleteKey(const std::u16string& path) override { RegDelete(FromU16(path)); }
};

}  // namespace

bool FmEnv::Load(HINSTANCE instance) {
    SetMessageTitle(kAppTitle);
    packerPath_ = FromU16(PackerPathIn(ProgramFolderOf(ToU16(ModulePath()))));
    if (!IsPlainFile(packerPath_)) {
        ShowMessage(L"请将程序放入tunebale目录内运行!");
        return false;
    }
    const FileVersionRecord packer = ReadFileVersion(packerPath_);
    if (!PackerAccepted(packer)) {
        ShowMessage(L"您的歌曲打包程序版本低于37,无法使用本程序!");
        return false;
    }
    if (!Create(instance, kForm)) return false;
    SetControlText(kIdLbInfo, ControlText(kIdLbInfo) + FromU16(packer.FileVersionText));
    return true;
}

bool FmEnv::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    if (LOWORD(wParam) == kIdCmdReg) CmdRegClick();
    if (LOWORD(wParam) == kIdCmdUnreg) CmdUnregClick();
    result = 0;
    return true;
}

void FmEnv::CmdRegClick() {
    WindowsRegistry registry;
    if (RegisterEnvironment(ToU16(packerPath_), registry))
        ShowMessage(L"设置成功,您可以右击文件夹选择打包了");
    else
        ShowMessage(L"写入注册表时出错,请检查您是否有权限操作注册表!");
}

void FmEnv::CmdUnregClick() {
    WindowsRegistry registry;
    RemoveEnvironment(registry);
    ShowMessage(L"清除歌曲打包程序环境成功");
}

}  // namespace tavrin
