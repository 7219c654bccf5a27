// Designing a preset: a search of the fourteen sliders for the flight closest to the targets.
#pragma once
#include <functional>
#include <iosfwd>

#include "Lab.h"
#include "Progress.h"
#include "Workers.h"

namespace flightlab {

// The sum over the set targets of |figure - target| / target.
double tuneError(const TuneTargets& targets, const Flight& flight);

// What a search found: the values on the preset file's three decimals and the flight of the
// preset saved with them (none when the search was stopped).
struct TuneOutcome {
    SliderValues values{};
    Flight flight;
    int evaluations = 0;
    bool stopped = false;
};

// Told after each flight of a search: flights so far, the most the search flies, the best error
// so far. Returning false stops the search.
using TuneWatch = std::function<bool(int done, int budget, double bestError)>;

// Searches for the preset closest to the targets and saves it as OUT/tuned.txt through the
// plug-in's preset creation; progress goes to PROGRESS and WATCH.
TuneOutcome searchTune(const LabOptions& options, WorkerPool& pool, Progress& progress,
                       const TuneWatch& watch = {});

// Searches (a global stage, then a local refinement), writes OUT/tuned.txt through the
// plug-in's preset creation, flies it and prints the values and the flight against the targets;
// with a tune name also installs the preset in the game folder. Returns the exit status.
int runTune(const LabOptions& options, WorkerPool& pool, std::ostream& out, std::ostream& err);

}  // namespace flightlab
