// The flight lab: flies the same launch for several presets and reports how each flies.
#pragma once
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "Flight.h"
#include "HostRun.h"

namespace flightlab {

struct Sweep {
    std::string variable;  // a wl_ slider, e.g. wl_lift
    double from = 0, to = 0;
    int steps = 0;         // values from..to inclusive
    std::string preset;    // base preset the sweep flies on
};

struct LabOptions {
    Launch launch;
    // "stock" (model off), base preset indexes "0".."5", or user preset names.
    std::vector<std::string> presets{"stock", "1", "2", "3", "4", "5"};
    std::optional<Sweep> sweep;
    std::string hudPreset = "3";             // drawn at the top of its flight ("" for none)
    std::filesystem::path outDir = "out/flightlab";
    std::filesystem::path presetDir;         // where user preset files NAME.txt are found
    HostProgram program;
};

// Parses the command line; on failure returns nothing and sets error (usage on "--help").
std::optional<LabOptions> parseOptions(const std::vector<std::string>& args, std::string& error,
                                       bool& helpAsked);
std::string usage();

// The setup of one entry of the preset list.
Setup setupFor(const std::string& preset);

// Flies one setup; throws std::runtime_error when the host fails.
Flight fly(const LabOptions& options, const Setup& setup, const std::filesystem::path& root);

// Runs everything and writes the table to out, progress and file names to err.
// Returns the program's exit status.
int runLab(const LabOptions& options, std::ostream& out, std::ostream& err);

}  // namespace flightlab
