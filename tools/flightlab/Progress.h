// Progress of long work on standard error: a bar on a terminal, a few plain lines otherwise.
#pragma once
#include <cstddef>
#include <ostream>
#include <string>

namespace flightlab {

class Progress {
public:
    // WHAT names the work ("flights"); nothing is shown for fewer than `quietBelow` steps.
    Progress(std::ostream& err, bool bar, std::string what, std::size_t total,
             std::size_t quietBelow = 20);
    // Reports that `done` of the total steps are finished, with an optional note.
    void update(std::size_t done, const std::string& note = "");
    // Ends the bar's line.
    void finish();

private:
    std::ostream& err_;
    bool bar_;
    std::string what_;
    std::size_t total_;
    bool quiet_;
    int lastShown_ = -1;  // percent, or bar cells
};

}  // namespace flightlab
