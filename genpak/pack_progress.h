// How far `genpak pack` has come, on standard error: on a terminal one line redrawn in place
// (entries, bytes, rate, time left); elsewhere one plain line as each archive starts.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "tavrin/pack_engine.h"

namespace genpak::tool {

class PackProgressView {
public:
    using Clock = std::function<double()>;  // seconds from any fixed point
    enum class Mode { kOff, kLines, kBar };

    PackProgressView(std::ostream& err, Mode mode, Clock clock = SteadySeconds);
    PackProgressView(const PackProgressView&) = delete;
    PackProgressView& operator=(const PackProgressView&) = delete;
    ~PackProgressView() { Clear(); }

    // A new archive, named as the user will see it.
    void Begin(const std::string& output);
    void Update(const tavrin::PackStep& step);
    // Takes the bar off the line before other text is written.
    void Clear();

    static double SteadySeconds();

private:
    void Draw(const tavrin::PackStep& step, double now);

    std::ostream& err_;
    const Mode mode_;
    Clock clock_;
    std::string output_;
    double started_ = 0, drawn_ = -1;
    size_t width_ = 0;  // of the bar on screen, 0 when none
    bool announced_ = false;
};

}  // namespace genpak::tool
