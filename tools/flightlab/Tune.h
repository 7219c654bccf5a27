// Designing a preset: a search of the sliders for the flight closest to the targets.
#pragma once
#include <iosfwd>

#include "Lab.h"
#include "Workers.h"

namespace flightlab {

// The sum over the set targets of |figure - target| / target.
double tuneError(const TuneTargets& targets, const Flight& flight);

// Searches (a global stage, then a local refinement), writes OUT/tuned.txt through the
// plug-in's preset creation, flies it and prints the values and the flight against the targets;
// with a tune name also installs the preset in the game folder. Returns the exit status.
int runTune(const LabOptions& options, WorkerPool& pool, std::ostream& out, std::ostream& err);

}  // namespace flightlab
