// A ConversionUi that records what the conversion shows and answers its questions.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "conversion_ui.h"

namespace tavrin::testing {

class FakeConversionUi : public ConversionUi {
public:
    struct Message {
        std::wstring text;
        uint32_t style;
    };

    void UpdateStatus(const std::wstring& text) override {
        status = text;
        statuses.push_back(text);
        Pump();
    }
    void UpdateStatus2(const std::wstring& text) override {
        progress.push_back(text);
        Pump();
    }
    void ClearLog() override {
        log.clear();
        ++logClears;
    }
    void AppendLog(const std::wstring& text) override { log += text; }
    int32_t ShowMessage(const std::wstring& text, uint32_t style) override {
        messages.push_back({text, style});
        return answer;
    }

    // Lines of the log, without their CR LF; a last line without CR LF counts too.
    std::vector<std::wstring> LogLines() const {
        std::vector<std::wstring> lines;
        size_t start = 0;
        for (size_t end; (end = log.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
            lines.push_back(log.substr(start, end - start));
        if (start < log.size()) lines.push_back(log.substr(start));
        return lines;
    }

    int32_t answer = 6;  // IDYES
    std::wstring status;
    std::vector<std::wstring> statuses;
    std::vector<std::wstring> progress;
    std::wstring log;
    int logClears = 0;
    std::vector<Message> messages;
    // Called at every status line, as the window's message pump would run; may throw
    // ConversionClosed to stand for the user closing the window.
    std::function<void()> onPump;

private:
    void Pump() {
        if (onPump) onPump();
    }
};

}  // namespace tavrin::testing
