// The flight lab: flies one launch for several set-ups and bodies, shows how and why each flies,
// and designs presets toward a target flight.
#pragma once
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Flight.h"
#include "HostRun.h"
#include "Launches.h"

namespace flightlab {

struct Sweep {
    std::string variable;  // a wl_ slider, e.g. wl_lift
    double from = 0, to = 0;
    int steps = 0;         // values from..to inclusive
    std::string preset;    // base preset the sweep flies on
};

// The flight a tuned preset should give; unset figures are not sought. A relative target is a
// factor of stock's figure at the same launch (airtime=1.5x).
struct TuneTargets {
    std::optional<double> airtimeS, distanceUu, topHeightUu, landingSpeedUu;
    struct Relative {
        bool airtime = false, distance = false, top = false, landing = false;
    } relative;
    bool anyRelative() const { return relative.airtime || relative.distance || relative.top || relative.landing; }
    // The absolute targets at a launch where stock flew STOCK.
    TuneTargets against(const Figures& stock) const;
};

struct Tune {
    TuneTargets targets;
    double tolerance = 0.01;                      // largest relative miss of a met target
    bool force = false;                           // install even when targets are not met
    int restarts = 4;                             // searches from as many seeds, spread over workers
    std::string start = "0";                      // preset the search starts from
    std::vector<std::pair<int, double>> fixed;    // slider index, value held constant
    unsigned seed = 1;                            // restart k searches from seed + k
    std::string name;                             // also install as this user preset
    std::filesystem::path game;                   // ... in this game folder
};

struct LabOptions {
    Launch launch;
    // "stock" (model off), base preset indexes "0".."5", or user preset names.
    std::vector<std::string> presets{"stock", "1", "2", "3", "4", "5"};
    std::vector<std::string> bodies{"octane"};
    std::optional<Sweep> sweep;
    std::optional<LaunchGrid> launches;      // fly every set-up at every launch of this grid
    std::optional<Tune> tune;
    std::string hudPreset = "3";             // drawn at the top of its flight ("" for none)
    std::filesystem::path outDir = "out/flightlab";
    std::filesystem::path presetDir;         // where user preset files NAME.txt are found
    HostProgram program;
    int workers = 0;                         // 0: one per core
    bool keepRuns = false;                   // keep each flight's trajectory and game folder
    bool hostProcesses = false;              // one wingleaf-host process per flight
    bool progressBar = false;                // progress drawn as a bar (standard error is a terminal)
};

// An option the loaded plug-in refuses (a value out of a slider's range, an impossible target):
// reported as a usage error, before anything flies.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses and checks the command line. Returns nothing when the program should stop: then
// `message` is the error, or with `informational` the help or version text to print.
std::optional<LabOptions> parseOptions(const std::vector<std::string>& args, std::string& message,
                                       bool& informational);

// Workers to start for JOBS jobs: REQUESTED (--workers), else one per core, never more than
// the jobs.
int workerCount(int requested, std::size_t jobs);

// The setup of one entry of the preset list.
Setup setupFor(const std::string& preset);

// Flies one setup in its own wingleaf-host process in ROOT; throws std::runtime_error when the
// host fails.
Flight flyInHost(const LabOptions& options, const Setup& setup, const std::filesystem::path& root);

// Runs everything and writes the tables to out, progress and file names to err.
// Returns the program's exit status.
int runLab(const LabOptions& options, std::ostream& out, std::ostream& err);

}  // namespace flightlab
