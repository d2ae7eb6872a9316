// The progress line of sumgrid-book on standard error: shown only when asked
// for (standard error is a terminal) and only once the work has run for a
// while, redrawn a few times a second, and erased when the work is done.
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

namespace sumgrid::tools {

struct ProgressSettings {
    bool show = false;
    std::chrono::milliseconds after = std::chrono::seconds(1);  // how long work runs before the line appears
};

class Progress {
public:
    Progress(std::ostream& err, ProgressSettings settings, std::string what, int total);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // One more step of the total done: "what: done/total".
    void step();
    // Erases the line, before other output goes to the same terminal.
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    ProgressSettings settings_;
    std::string what_;
    int total_, done_ = 0;
    Clock::time_point start_ = Clock::now(), drawn_{};
    bool shown_ = false;  // the line is on the screen
};

}  // namespace sumgrid::tools
