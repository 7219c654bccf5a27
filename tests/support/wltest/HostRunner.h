// Runs the wingleaf-host program the way a person would, for integration tests.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "process/ProcessRunner.h"

namespace wltest {

// Exit status, standard output and standard error of a finished program.
using HostResult = wlproc::ProcessResult;

// A new, empty directory for one test (removed first if it exists).
std::filesystem::path freshRoot(const std::string& name);

// Runs wingleaf-host --root ROOT [--plugin <this build's plug-in>] ARGS... -c LINE...
// with an empty standard input, and collects its output and exit status.
HostResult runHost(const std::filesystem::path& root, const std::vector<std::string>& lines,
                   const std::vector<std::string>& extraArgs = {}, bool loadPlugin = true);

// Runs any program (a path) with arguments and an optional standard input text; one that runs
// longer than five minutes is killed (and the result says timedOut).
HostResult runProgram(const std::vector<std::string>& argv, const std::string& input = "");

// Whole file content, or "" when it does not exist.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

}  // namespace wltest
