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
    std::vector<std::pair<std::string, std::string>> startValues;  // slider, value text set after it
    std::vector<std::pair<int, double>> fixed;    // slider index, value held constant
    unsigned seed = 1;                            // restart k searches from seed + k
    std::string name;                             // also install as this user preset
    std::filesystem::path game;                   // ... in this game folder
};

// The web workbench: where it listens.
struct Serve {
    std::string listen = "127.0.0.1";  // the address bound
    int port = 8765;                   // 0: any free port
    std::filesystem::path game;        // a game folder whose user presets are shown and saved to
};

struct LabOptions {
    Launch launch;
    // "stock" (model off), base preset indexes "0".."5", or user preset names.
    std::vector<std::string> presets{"stock", "1", "2", "3", "4", "5"};
    std::vector<std::string> bodies{"octane"};
    std::optional<Sweep> sweep;
    std::optional<LaunchGrid> launches;      // fly every set-up at every launch of this grid
    std::optional<Tune> tune;
    std::optional<Serve> serve;
    std::string hudPreset = "3";             // drawn at the top of its flight ("" for none)
    std::filesystem::path outDir = "out/flightlab";
    std::filesystem::path presetDir;         // where user preset files NAME.txt are found
    std::filesystem::path plugin;            // the plug-in library the workers load
    int workers = 0;                         // 0: one per core
    bool keepRuns = false;                   // keep each flight's trajectory and game folder
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

// The most memory a run may take; a larger one is refused before any flight.
inline constexpr std::size_t kMemoryLimitBytes = std::size_t{300} << 20;
// The samples a flight keeps for its pictures once its trajectory is written: with orientation
// and angular velocity a sample is 128 bytes, and a 1,000-step sweep must stay within the limit.
inline constexpr std::size_t kPictureSamples = 1000;

// About the most memory a comparison of FLIGHTS flights at LAUNCH on WORKERS workers takes.
std::size_t estimatedPeakBytes(const Launch& launch, std::size_t flights, int workers);

// Checks that the output folder takes files (creating it if needed) before anything flies;
// throws std::runtime_error naming the folder and the system's reason.
void checkOutputFolder(const std::filesystem::path& dir);

// Runs everything and writes the tables to out, progress and file names to err.
// Returns the program's exit status.
int runLab(const LabOptions& options, std::ostream& out, std::ostream& err);

}  // namespace flightlab
