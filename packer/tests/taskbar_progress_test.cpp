// The taskbar bar through a fake button and a clock the test moves.
#include "taskbar_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavrin {
namespace {

using std::chrono::milliseconds;
using Calls = std::vector<std::string>;

class FakeButton final : public TaskbarButton {
public:
    Calls calls;
    void SetProgressState(TaskbarState state) override {
        calls.push_back(state == TaskbarState::kNormal ? "normal" : state == TaskbarState::kError ? "error" : "none");
    }
    void SetProgressValue(uint64_t done, uint64_t total) override {
        calls.push_back(std::to_string(done) + "/" + std::to_string(total));
    }
};

class TaskbarProgressTest : public ::testing::Test {
protected:
    void ShowAt(int ms, uint64_t done, uint64_t total) {
        now_ = milliseconds(ms);
        progress_.Show(done, total);
    }
    FakeButton button_;
    milliseconds now_{0};
    TaskbarProgress progress_{button_, [this] { return std::chrono::steady_clock::time_point(now_); }};
};

TEST_F(TaskbarProgressTest, AtMostOneValueEvery50MsAlwaysTheLastThenCleared) {
    ShowAt(1000, 0, 300);
    ShowAt(1010, 100, 300);
    ShowAt(1049, 150, 300);
    ShowAt(1050, 200, 300);
    ShowAt(1060, 250, 300);
    ShowAt(1061, 300, 300);
    progress_.Clear();
    EXPECT_EQ(button_.calls, (Calls{"normal", "0/300", "200/300", "300/300", "none"}));
}

TEST_F(TaskbarProgressTest, AFailedArchiveTurnsTheRunRedUntilItEndsAndTheNextRunStartsAfresh) {
    ShowAt(0, 0, 500);
    ShowAt(100, 200, 500);
    progress_.Fail();   // the archive stopped part-way
    ShowAt(200, 0, 0);  // the descriptor of a folder with nothing else still runs
    progress_.Clear();
    ShowAt(201, 0, 40);  // the next press of Pack
    EXPECT_EQ(button_.calls, (Calls{"normal", "0/500", "200/500", "error", "1/1", "none", "normal", "0/40"}));
}

}  // namespace
}  // namespace tavrin
