// CRunAndWait starting real programs, directly and through the command interpreter.
#include "run_and_wait.h"

#include <gtest/gtest.h>

#include "tavrin/message_box.h"
#include "tavrin/numbered_error.h"
#include "window_driver.h"

namespace tavrin {
namespace {

constexpr int32_t kRunError = 1234567890;

std::wstring ExitWith(const std::wstring& argument) {
    return L"\"" + testing::ProgramFolder() + L"tv_exit_with.exe\" " + argument;
}

TEST(RunWinAndWait, BlankCommandsStartNothingAndGiveZero) {
    CRunAndWait runner;
    EXPECT_EQ(runner.RunWinAndWait(L""), 0);
    EXPECT_EQ(runner.RunWinAndWait(L"    "), 0);
    EXPECT_EQ(runner.RunDosAndWait(L"  "), 0);
    EXPECT_EQ(runner.RunWinAndWait(L" ", 100000), 0) << "blank wins over a bad show value";
}

TEST(RunWinAndWait, AProgramThatCannotStartGivesTheRunError) {
    CRunAndWait runner;
    EXPECT_EQ(runner.RunError(), kRunError);
    EXPECT_EQ(runner.RunWinAndWait(L"C:\\no\\such\\program.exe"), kRunError);
    EXPECT_EQ(runner.RunWinAndWait(L"tavrin_no_such_program_anywhere"), kRunError);
}

TEST(RunWinAndWait, ReturnsTheProgramsExitCodeAfterItEnds) {
    CRunAndWait runner;
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"42")), 42);
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"0")), 0);
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"-7")), -7);
}

TEST(RunWinAndWait, TheShowValueReachesTheProgramMinimizedByDefault) {
    CRunAndWait runner;
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"show")), 6);
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"show"), 1), 1);
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"show"), 0), 0);
    EXPECT_EQ(runner.RunWinAndWait(ExitWith(L"show"), 32767), 32767);
}

TEST(RunWinAndWait, AShowValueBeyondSixteenBitsIsAnOverflowError) {
    CRunAndWait runner;
    for (int32_t bad : {32768, -32769, 1 << 20}) {
        try {
            runner.RunWinAndWait(ExitWith(L"0"), bad);
            ADD_FAILURE() << bad;
        } catch (const NumberedError& e) {
            EXPECT_EQ(e.Number(), 6) << bad;
        }
    }
}

TEST(RunDosAndWait, ExitCodeComesBackThroughTheInterpreter) {
    ASSERT_FALSE(GetEnvVar(L"COMSPEC").empty());
    CRunAndWait runner;
    EXPECT_EQ(runner.RunDosAndWait(L"exit 3"), 3);
    EXPECT_EQ(runner.RunDosAndWait(ExitWith(L"17")), 17);
}

TEST(RunDosAndWait, WithoutACloseOptionTheInterpreterPathAndCommandRunTogether) {
    CRunAndWait runner;
    // "...cmd.exeexit 3" names no program.
    EXPECT_EQ(runner.RunDosAndWait(L"exit 3", 0, 0), kRunError);
    // A command that brings its own space and switch runs.
    EXPECT_EQ(runner.RunDosAndWait(L" /C exit 5", 0, 0), 5);
}

TEST(GetEnvVar, ReadsSetVariablesAndGivesEmptyForUnsetOnes) {
    EXPECT_EQ(GetEnvVar(L"COMSPEC").size() > 4, true);
    std::wstring comspec = GetEnvVar(L"COMSPEC");
    EXPECT_EQ(_wcsicmp(comspec.substr(comspec.size() - 7).c_str(), L"cmd.exe"), 0) << comspec;
    EXPECT_EQ(GetEnvVar(L"TAVRIN_TEST_UNSET_VARIABLE"), L"");
}

TEST(GetEnvVar, LongAndUnicodeValuesArriveWhole) {
    std::wstring value(32000, L'歌');
    value[0] = L'x';
    ASSERT_TRUE(SetEnvironmentVariableW(L"TAVRIN_TEST_LONG", value.c_str()));
    EXPECT_EQ(GetEnvVar(L"TAVRIN_TEST_LONG"), value);
    SetEnvironmentVariableW(L"TAVRIN_TEST_LONG", nullptr);
}

}  // namespace
}  // namespace tavrin
