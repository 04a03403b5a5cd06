#include "taskbar_progress.h"

#include <utility>

namespace tavrin {
namespace {
constexpr std::chrono::milliseconds kInterval{50};
}  // namespace

TaskbarProgress::TaskbarProgress(TaskbarButton& button, Clock clock) : button_(button), clock_(std::move(clock)) {}

void TaskbarProgress::Show(uint64_t done, uint64_t total) {
    const auto now = clock_();
    if (state_ == TaskbarState::kNone)
        SetState(TaskbarState::kNormal);
    else if (done < total && now - lastShown_ < kInterval)
        return;
    lastShown_ = now;
    // A pack with nothing to read is complete; the shell has no bar for a total of 0.
    if (total == 0) done = total = 1;
    button_.SetProgressValue(done, total);
}

void TaskbarProgress::Fail() { SetState(TaskbarState::kError); }

void TaskbarProgress::Clear() { SetState(TaskbarState::kNone); }

void TaskbarProgress::SetState(TaskbarState state) {
    state_ = state;
    button_.SetProgressState(state);
}

}  // namespace tavrin
