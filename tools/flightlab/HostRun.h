// Runs wingleaf-host on a console script in a fresh game folder.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "process/ProcessRunner.h"

namespace flightlab {

struct HostProgram {
    std::filesystem::path host;    // the wingleaf-host executable
    std::filesystem::path plugin;  // the plug-in library it loads
};

using HostOutput = wlproc::ProcessResult;

// Lays out a fresh game folder ROOT (copying the given user preset files into its preset
// folder), writes the script beside it and runs the host on it. Throws on a failed start.
HostOutput runScript(const HostProgram& program, const std::filesystem::path& root,
                     const std::string& script,
                     const std::vector<std::filesystem::path>& presetFiles = {});

}  // namespace flightlab
