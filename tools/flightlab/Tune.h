// Designing a preset: a search of the fourteen sliders for the flight closest to the targets.
#pragma once
#include <iosfwd>

#include "Lab.h"
#include "Workers.h"

namespace flightlab {

// The sum over the set targets of |figure - target| / target.
double tuneError(const TuneTargets& targets, const Figures& figures);

// Searches from the tune's restarts (each a global stage, a local refinement and a refinement on
// the preset file's grid) on as many worker pools as workers are allowed, writes OUT/tuned.txt
// through the plug-in's preset creation, flies it and prints the values, the restarts and the
// flight against the targets. Returns 0, or 3 when a target is missed by more than the
// tolerance; the tune name's preset is installed in the game folder only when every target is
// met, or with `force`.
int runTune(const LabOptions& options, const WorkerSetup& workers, std::ostream& out, std::ostream& err);

}  // namespace flightlab
