#include "progress.h"

#include <ostream>
#include <utility>

namespace sumgrid::tools {

namespace {
constexpr std::chrono::milliseconds kRedraw{100};
constexpr char kErase[] = "\r\033[K";  // back to the start of the line, and clear it
}  // namespace

Progress::Progress(std::ostream& err, ProgressSettings settings, std::string what, int total)
    : err_(err), settings_(settings), what_(std::move(what)), total_(total) {}

Progress::~Progress() { clear(); }

void Progress::step() {
    ++done_;
    const Clock::time_point now = Clock::now();
    if (!settings_.show || now - start_ < settings_.after || (shown_ && now - drawn_ < kRedraw)) return;
    err_ << kErase << what_ << ": " << done_ << "/" << total_ << std::flush;
    shown_ = true;
    drawn_ = now;
}

void Progress::clear() {
    if (!shown_) return;
    err_ << kErase << std::flush;
    shown_ = false;
}

}  // namespace sumgrid::tools
