// A pack's progress on the program's taskbar button: the bar by bytes while a pack runs, red after
// a failure, gone at the end. Portable: the button is an interface the window implements through
// the shell and tests replace.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace tavrin {

enum class TaskbarState { kNone, kNormal, kError };

class TaskbarButton {
public:
    virtual ~TaskbarButton() = default;
    virtual void SetProgressState(TaskbarState state) = 0;
    virtual void SetProgressValue(uint64_t done, uint64_t total) = 0;
};

class TaskbarProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    explicit TaskbarProgress(TaskbarButton& button, Clock clock = std::chrono::steady_clock::now);

    // Bytes done of a pack's total. Reaching the shell costs a message to another process, so at
    // most one update every 50 ms goes there, whatever the number of files, and always the last
    // (done == total).
    void Show(uint64_t done, uint64_t total);
    // A pack failed: red from now until Clear, later packs of the run included.
    void Fail();
    // The run is over.
    void Clear();

private:
    void SetState(TaskbarState state);

    TaskbarButton& button_;
    Clock clock_;
    TaskbarState state_ = TaskbarState::kNone;
    std::chrono::steady_clock::time_point lastShown_{};
};

}  // namespace tavrin
