#include "pack_progress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace genpak::tool {
namespace {

constexpr double kRedrawSeconds = 0.1;  // often enough to look alive, rarely enough to cost nothing
constexpr int kBarCells = 20;

std::string MiB(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1 << 20));
    return text;
}

std::string Minutes(double seconds) {
    const auto s = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}

}  // namespace

PackProgressView::PackProgressView(std::ostream& err, Mode mode, Clock clock)
    : err_(err), mode_(mode), clock_(std::move(clock)) {}

double PackProgressView::SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PackProgressView::Begin(const std::string& output) {
    Clear();
    output_ = output;
    started_ = clock_();
    drawn_ = -1;
    announced_ = false;
}

void PackProgressView::Update(const tavrin::PackStep& step) {
    if (mode_ == Mode::kOff) return;
    if (mode_ == Mode::kLines) {
        if (!announced_)
            err_ << "packing " << output_ << ": " << step.count << " entries, " << MiB(step.bytesTotal) << " MiB"
                 << std::endl;
        announced_ = true;
        return;
    }
    const double now = clock_();
    const bool last = step.index == step.count;
    if (!last && drawn_ >= 0 && now - drawn_ < kRedrawSeconds) return;
    Draw(step, now);
}

void PackProgressView::Draw(const tavrin::PackStep& step, double now) {
    drawn_ = now;
    const double elapsed = now - started_;
    const double share =
        step.bytesTotal == 0
            ? (step.count == 0 ? 1.0 : static_cast<double>(step.index) / static_cast<double>(step.count))
            : static_cast<double>(step.bytesDone) / static_cast<double>(step.bytesTotal);
    const int filled = std::clamp(static_cast<int>(share * kBarCells), 0, kBarCells);
    std::string line = output_ + " [" + std::string(filled, '#') + std::string(kBarCells - filled, '.') + "] " +
                       std::to_string(step.index) + "/" + std::to_string(step.count) + " entries " +
                       MiB(step.bytesDone) + "/" + MiB(step.bytesTotal) + " MiB";
    // A rate needs a moment of history before it means anything.
    if (elapsed >= 0.5 && step.bytesDone > 0) {
        const double rate = static_cast<double>(step.bytesDone) / elapsed;
        line += " " + MiB(static_cast<uint64_t>(rate)) + " MiB/s " +
                Minutes(static_cast<double>(step.bytesTotal - step.bytesDone) / rate) + " left";
    }
    const size_t width = line.size();
    if (line.size() < width_) line.append(width_ - line.size(), ' ');  // cover a longer bar
    width_ = width;
    err_ << '\r' << line << std::flush;
}

void PackProgressView::Clear() {
    if (width_ == 0) return;
    err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
}

}  // namespace genpak::tool
