#include "app.h"

#include <windows.h>

#include "cmdline.h"
#include "tavrin/message_box.h"
#include "tavrin/module_path.h"
#include "tavrin/numbered_error.h"
#include "tavrin/text.h"
#include "version_info.h"

namespace tavrin {
namespace {
AppEnvironment g_app;
}  // namespace

const AppEnvironment& App() { return g_app; }

const std::wstring& AppTitle() {
    static const std::wstring title = L"Tavrin歌曲打包器";
    return title;
}

void InitAppEnvironmentFrom(const std::wstring& modulePath, const std::wstring& commandLine) {
    AppEnvironment env;
    env.AppExePath = modulePath;
    size_t slash = env.AppExePath.rfind(L'\\');
    env.AppExeName = slash == std::wstring::npos ? env.AppExePath : env.AppExePath.substr(slash + 1);
    env.AppFolder = slash == std::wstring::npos ? std::wstring() : env.AppExePath.substr(0, slash + 1);
    env.AppHosted = false;

    std::u16string line = ToU16(commandLine);
    std::u16string_view trimmed = TrimSpaces(line);
    size_t p = FindUnquoted(1, trimmed, u' ');
    env.AppArgText = p > 0 ? FromU16(TrimSpaces(trimmed.substr(p))) : std::wstring();

    for (const std::u16string& token : SplitCommandLine(line, ToU16(env.AppExePath)))
        env.AppArgs.push_back(FromU16(token));
    g_app = std::move(env);
    SetMessageTitle(AppTitle());
}

void InitAppEnvironment() {
    InitAppEnvironmentFrom(ModulePath(), StringFromPtr(GetCommandLineW()));
    LoadAppVersion(g_app.AppExePath);
}

int32_t ArgCount() { return static_cast<int32_t>(g_app.AppArgs.size()); }

const std::wstring& Arg(int32_t index) {
    if (index < 0 || index >= ArgCount()) throw NumberedError(kErrSubscript);
    return g_app.AppArgs[static_cast<size_t>(index)];
}

}  // namespace tavrin
