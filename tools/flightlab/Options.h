// The flight lab's options: what the command line asks for, parsed and checked before anything
// flies.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Core.h"
#include "Flight.h"
#include "Launches.h"

namespace flightlab {

struct Sweep {
    Slider slider = Slider::lift;
    double from = 0, to = 0;
    int steps = 0;       // values from..to inclusive
    std::string preset;  // base preset the sweep flies on
};

struct Tune {
    TuneTargets targets;
    double tolerance = kDefaultTolerance;  // largest relative miss of a met target
    bool force = false;                    // install even when targets are not met
    int restarts = 4;                      // searches from as many seeds, spread over workers
    std::string start = "0";               // preset the search starts from
    SliderSettings startValues;            // set after the start preset
    SliderSettings fixed;                  // held constant
    unsigned seed = 1;                     // restart k searches from seed + k
    std::string name;                      // also install as this user preset
    std::filesystem::path game;            // ... in this game folder
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
    std::optional<LaunchGrid> launches;  // fly every set-up at every launch of this grid
    std::optional<Tune> tune;
    std::optional<Serve> serve;
    std::string hudPreset = "3";  // drawn at the top of its flight ("" for none)
    std::filesystem::path outDir = "out/flightlab";
    std::filesystem::path presetDir;  // where user preset files NAME.txt are found
    std::filesystem::path plugin;     // the plug-in library the workers load
    int workers = 0;                  // 0: one per core
    bool keepRuns = false;            // keep each flight's trajectory and game folder
    bool progressBar = false;         // progress drawn as a bar (standard error is a terminal)
};

// Parses and checks the command line. Returns nothing when the program should stop: then
// `message` is the error, or with `informational` the help or version text to print.
std::optional<LabOptions> parseOptions(const std::vector<std::string>& args, std::string& message,
                                       bool& informational);

}  // namespace flightlab
