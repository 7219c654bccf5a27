// The tuner's search, shared by its two callers (the command line's report and the workbench):
// the launches scored, one search from one seed, restarts over several pools.
#pragma once
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "Progress.h"
#include "Tune.h"

namespace flightlab::tuning {

// The launches a tune scores and the absolute targets at each.
struct Scoring {
    std::vector<Launch> launches;
    std::vector<TuneTargets> targets;
};

// What one search from one seed found.
struct Restart {
    unsigned seed = 0;
    SliderValues values;  // at a preset's precision
    double error = HUGE_VAL;
    int evaluations = 0;
    int interrupted = 0;  // the stop signal that ended the search early, or 0
};

// The most flights of the tune's searches, each over SCORING's launches.
std::size_t budgetOf(const Tune& tune, const Scoring& scoring);

// Refuses a fixed value outside its slider's range (UsageError, prefixed with WHERE).
void checkFixedValues(const Tune& tune, const SliderRanges& ranges, const std::string& where);

// The start preset's slider values, with the tune's start values set after it.
SliderValues startValuesFor(const LabOptions& o, WorkerPool& pool);

// The launches of the grid (or the one launch), and the targets at each, resolved against
// stock's flights there when a target is relative to them.
Scoring scoringFor(const LabOptions& o, WorkerPool& pool);

// Reports a search's progress: its evaluations so far and its best error.
using SearchProgress = std::function<void(int evaluations, double bestError)>;

// A global stage, a local refinement, then the preset file's grid.
Restart searchFrom(const LabOptions& o, WorkerPool& pool, const Scoring& scoring,
                   const SliderValues& start, unsigned seed, SearchProgress progress,
                   const TuneWatch& watch = {});

// Runs the restarts on as many threads as there are pools, each thread flying in its own pool.
std::vector<Restart> runRestarts(const LabOptions& o,
                                 const std::vector<std::unique_ptr<WorkerPool>>& pools,
                                 const Scoring& scoring, const SliderValues& start,
                                 Progress& progress);

// Saves the values as a preset through the plug-in (FILE) and flies that preset at the tune's
// launch.
Flight saveAndFly(const LabOptions& o, WorkerPool& pool, const SliderValues& values,
                  const std::filesystem::path& file);

}  // namespace flightlab::tuning
