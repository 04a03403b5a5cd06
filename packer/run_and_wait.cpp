#include "run_and_wait.h"

#include <windows.h>

#include <limits>
#include <vector>

#include "tavrin/message_box.h"
#include "tavrin/numbered_error.h"
#include "tavrin/handle_owners.h"

namespace tavrin {

std::wstring GetEnvVar(const std::wstring& name) {
    constexpr DWORD kCapacity = 32768;  // the largest value the system allows
    std::vector<wchar_t> buffer(kCapacity);
    DWORD n = GetEnvironmentVariableW(name.c_str(), buffer.data(), kCapacity);
    if (n >= kCapacity) n = 0;  // cannot happen for a real variable; never read past the buffer
    return std::wstring(buffer.data(), n);
}

namespace {
constexpr int32_t kErrOverflow = 6;
}  // namespace

std::wstring CRunAndWait::ShellPrefix(int32_t tCloseOpt) const {
    std::wstring prefix = GetEnvVar(L"COMSPEC");
    if (tCloseOpt == 4) prefix += L" /U /C ";
    if (tCloseOpt == 5) prefix += L" /U /K ";
    return prefix;
}

int32_t CRunAndWait::RunWinAndWait(const std::wstring& CmdStr, int32_t tRunOpt) const {
    return Run(CmdStr, CmdStr, tRunOpt);
}

int32_t CRunAndWait::RunDosAndWait(const std::wstring& CmdStr, int32_t tRunOpt, int32_t tCloseOpt) const {
    return Run(CmdStr, ShellPrefix(tCloseOpt) + CmdStr, tRunOpt);
}

int32_t CRunAndWait::Run(const std::wstring& CmdStr, const std::wstring& commandLine, int32_t tRunOpt) const {
    if (CmdStr.find_first_not_of(L' ') == std::wstring::npos) return 0;
    // The show-window field is 16 bits wide.
    if (tRunOpt < std::numeric_limits<int16_t>::min() || tRunOpt > std::numeric_limits<int16_t>::max())
        throw NumberedError(kErrOverflow);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(static_cast<int16_t>(tRunOpt));
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &info))
        return RunError();
    KernelHandle process(info.hProcess);
    KernelHandle thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    return static_cast<int32_t>(exitCode);
}

}  // namespace tavrin
