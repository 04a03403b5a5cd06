// CRunAndWait starting real programs, directly and through the command interpreter.
#include "run_and_wait.h"

#include <gtest/gtest.h>

#include "support/intr.h"
#include "support/numbered_error.h"
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

}  // namespace
}  // namespace tavrin
