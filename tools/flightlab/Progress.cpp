// Progress of long work on standard error: a bar on a terminal, a few plain lines otherwise.
#include "Progress.h"

namespace flightlab {

namespace {
constexpr int kBarCells = 30;
}

Progress::Progress(std::ostream& err, bool bar, std::string what, std::size_t total,
                   std::size_t quietBelow)
    : err_(err), bar_(bar), what_(std::move(what)), total_(total), quiet_(total < quietBelow) {}

void Progress::update(std::size_t done, const std::string& note) {
    if (quiet_ || total_ == 0) return;
    const int percent = static_cast<int>(done * 100 / total_);
    if (bar_) {
        const int cells = static_cast<int>(done * kBarCells / total_);
        if (cells == lastShown_ && done != total_ && note.empty()) return;
        lastShown_ = cells;
        err_ << "\r" << what_ << " [" << std::string(static_cast<std::size_t>(cells), '#')
             << std::string(static_cast<std::size_t>(kBarCells - cells), ' ') << "] " << percent
             << "% " << note << "\x1b[K" << std::flush;
        return;
    }
    // Plain lines every tenth of the work.
    if (percent / 10 == lastShown_ / 10 && done != total_) return;
    lastShown_ = percent;
    err_ << "flightlab: " << what_ << " " << done << " of " << total_
         << (note.empty() ? "" : ": " + note) << std::endl;
}

void Progress::finish() {
    if (bar_ && !quiet_ && lastShown_ >= 0) err_ << "\n" << std::flush;
}

}  // namespace flightlab
