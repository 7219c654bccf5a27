// Designing a preset: a search of the sliders for the flight closest to the targets.
#pragma once
#include <functional>
#include <iosfwd>

#include "Lab.h"
#include "Workers.h"

namespace flightlab {

// The sum over the set targets of |figure - target| / target.
double tuneError(const TuneTargets& targets, const Flight& flight);

// Told after each flight of a search: flights so far, the most the search flies, the best error
// so far. Returning false stops the search with TuneCancelled.
using TuneWatch = std::function<bool(int done, int budget, double bestError)>;
struct TuneCancelled {
    int evaluations;
};

// What a search found: the values on the preset file's three decimals and the flight of the
// preset saved with them (OUT/tuned.txt).
struct TuneOutcome {
    SliderValues values{};
    Flight flight;
    int evaluations = 0;
};

// The search of runTune, told to WATCH instead of printed; throws TuneCancelled when stopped.
TuneOutcome searchTune(const LabOptions& options, WorkerPool& pool, const TuneWatch& watch);

// Searches (a global stage, then a local refinement), writes OUT/tuned.txt through the
// plug-in's preset creation, flies it and prints the values and the flight against the targets;
// with a tune name also installs the preset in the game folder. Returns the exit status.
int runTune(const LabOptions& options, WorkerPool& pool, std::ostream& out, std::ostream& err);

}  // namespace flightlab
