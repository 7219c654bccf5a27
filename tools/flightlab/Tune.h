// Designing a preset: a search of the sliders for the flight closest to the targets.
#pragma once
#include <functional>
#include <iosfwd>

#include "Lab.h"
#include "Workers.h"

namespace flightlab {

// The sum over the set targets of |figure - target| / target.
double tuneError(const TuneTargets& targets, const Figures& figures);

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

// One search of runTune (from the tune's seed, over its launches), told to WATCH instead of
// printed; throws TuneCancelled when stopped.
TuneOutcome searchTune(const LabOptions& options, WorkerPool& pool, const TuneWatch& watch);

// Searches from the tune's restarts (each a global stage, a local refinement and a refinement on
// the preset file's grid) on as many worker pools as workers are allowed, writes OUT/tuned.txt
// through the plug-in's preset creation, flies it and prints the values, the restarts and the
// flight against the targets. Returns 0, or 3 when a target is missed by more than the
// tolerance; the tune name's preset is installed in the game folder only when every target is
// met, or with `force`; a preset of that name made during the tune is replaced only with `force`,
// and a preset the plug-in did not install returns 4. Interrupted, it saves the best values so far,
// installs nothing and returns 128 + the signal.
int runTune(const LabOptions& options, const WorkerSetup& workers, std::ostream& out,
            std::ostream& err);

}  // namespace flightlab
