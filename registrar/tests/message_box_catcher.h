// Answers the message boxes that the code under test shows on the test's own thread: a helper
// thread waits for each box, records it and presses OK.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "window_driver.h"

namespace tavrin::testing {

class MessageBoxCatcher {
public:
    MessageBoxCatcher() : owner_(GetCurrentThreadId()), worker_([this] { Run(); }) {}
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    ~MessageBoxCatcher() {
        stop_ = true;
        worker_.join();
    }

    std::vector<MessageBoxInfo> Seen() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

private:
    void Run() {
        while (!stop_) {
            std::optional<MessageBoxInfo> box = WaitForMessageBox(GetCurrentProcessId(), 50, owner_);
            if (!box) continue;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                seen_.push_back(*box);
            }
            PressButton(box->hwnd, IDOK);
            // Wait for that box to go before looking for the next one.
            for (int i = 0; i < 250 && IsWindow(box->hwnd) && IsWindowVisible(box->hwnd); ++i) Sleep(20);
        }
    }

    DWORD owner_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<MessageBoxInfo> seen_;
    std::thread worker_;
};

}  // namespace tavrin::testing
