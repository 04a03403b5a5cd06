// CRunAndWait: starts another program, directly or through the command interpreter, and waits for
// its end. Part of the toolkit; none of the pack builder's own operations starts a process.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// The value of an environment variable; empty when it is not set.
std::wstring GetEnvVar(const std::wstring& name);

class CRunAndWait {
public:
    // What the run operations return when the program cannot be started. A program that itself
    // exits with this code cannot be told apart.
    int32_t RunError() const { return 1234567890; }

    // Runs CmdStr unchanged and returns its exit code once it has ended; 0 at once for a blank
    // command. tRunOpt is the show-window value of the program's window (SW_*, default minimized)
    // and must fit in 16 bits, else the overflow error is raised and nothing starts.
    int32_t RunWinAndWait(const std::wstring& CmdStr, int32_t tRunOpt = 6) const;
    // Runs CmdStr through the interpreter named by COMSPEC: tCloseOpt 4 closes it when the command
    // ends (/C), 5 keeps it open (/K), anything else adds no switch at all.
    int32_t RunDosAndWait(const std::wstring& CmdStr, int32_t tRunOpt = 0, int32_t tCloseOpt = 4) const;

private:
    std::wstring ShellPrefix(int32_t tCloseOpt) const;
    int32_t Run(const std::wstring& CmdStr, const std::wstring& commandLine, int32_t tRunOpt) const;
};

}  // namespace tavrin
