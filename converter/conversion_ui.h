// What the conversion needs from its window: the two status lines, the diagnostic log and
// message boxes. Tests replace it.
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

// Thrown out of UpdateStatus and UpdateStatus2 once the user has closed the window: the run
// unwinds, removing what it had not finished, and the program ends.
struct ConversionClosed {};

class ConversionUi {
public:
    virtual ~ConversionUi() = default;
    // Set the status or progress line, then let the window handle what is waiting (repaint,
    // closing).
    virtual void UpdateStatus(const std::wstring& text) = 0;
    virtual void UpdateStatus2(const std::wstring& text) = 0;
    virtual void ClearLog() = 0;
    // Appends text to the diagnostic log as it is (callers end lines with CR LF).
    virtual void AppendLog(const std::wstring& text) = 0;
    // A modal message box with the application title; returns the button pressed.
    virtual int32_t ShowMessage(const std::wstring& text, uint32_t style) = 0;
};

}  // namespace tavrin
