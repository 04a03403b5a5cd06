// CRunAndWait starting real programs, directly and through the command interpreter.
#include "run_and_wait.h"

#include <gtest/gtest.h>

#include "tavrin/numbered_error.h"
#include "window_driver.h"

namespace tavrin {
namespace {

constexpr int32_t kRunError = 1234567890;

std::wstring ExitWith(const std::wstring& argument) {
    return L"\"" + testing::ProgramFolder() + L"tv_exit_with.exe\" " + argument;
}

TEST(RunAndWait, ResultsOfEachKindOfCommand) {
    struct Case {
        bool dos;
        std::wstring command;
        int32_t show, close;  // close applies to the interpreter only
        int32_t result;
    };
    const Case cases[] = {
        {false, L"", 6, 1, 0},        // blank: nothing starts, 0
        {false, L" ", 100000, 1, 0},  // blank wins over a bad show value
        {true, L"  ", 0, 4, 0},
        {false, L"C:\\no\\such\\program.exe", 6, 1, kRunError},
        {false, L"tavrin_no_such_program_anywhere", 6, 1, kRunError},
        {false, ExitWith(L"42"), 6, 1, 42},  // the program's exit code, once it has ended
        {false, ExitWith(L"-7"), 6, 1, -7},
        {false, ExitWith(L"show"), 6, 1, 6},  // the show value reaches the program
        {false, ExitWith(L"show"), 0, 1, 0},
        {false, ExitWith(L"show"), 32767, 1, 32767},
        {true, L"exit 3", 0, 4, 3},  // through the interpreter
        {true, ExitWith(L"17"), 0, 4, 17},
        {true, L"exit 3", 0, 0, kRunError},  // no close option: "...cmd.exeexit 3" names no program
        {true, L" /C exit 5", 0, 0, 5},      // unless the command brings its own space and switch
    };
    CRunAndWait runner;
    EXPECT_EQ(runner.RunError(), kRunError);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command.begin(), c.command.end()));
        EXPECT_EQ(c.dos ? runner.RunDosAndWait(c.command, c.show, c.close) : runner.RunWinAndWait(c.command, c.show),
                  c.result);
    }
    for (int32_t bad : {32768, -32769, 1 << 20}) {  // show values beyond 16 bits: overflow
        try {
            runner.RunWinAndWait(ExitWith(L"0"), bad);
            ADD_FAILURE() << bad;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.Number(), 6) << bad;
        }
    }
}

TEST(GetEnvVar, ReadsSetValuesWholeAndGivesEmptyForUnsetOnes) {
    std::wstring comspec = GetEnvVar(L"COMSPEC");
    ASSERT_GT(comspec.size(), 7u);
    EXPECT_EQ(_wcsicmp(comspec.substr(comspec.size() - 7).c_str(), L"cmd.exe"), 0);
    EXPECT_EQ(GetEnvVar(L"TAVRIN_TEST_UNSET_VARIABLE"), L"");
    std::wstring value(32000, L'歌');
    value[0] = L'x';
    ASSERT_TRUE(SetEnvironmentVariableW(L"TAVRIN_TEST_LONG", value.c_str()));
    EXPECT_EQ(GetEnvVar(L"TAVRIN_TEST_LONG"), value);
    SetEnvironmentVariableW(L"TAVRIN_TEST_LONG", nullptr);
}

}  // namespace
}  // namespace tavrin
