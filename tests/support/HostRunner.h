// Runs the wingleaf-host program the way a person would, for integration tests.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace wltest {

struct HostResult {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
    // Standard output split into lines, without line ends.
    std::vector<std::string> lines() const;
};

// A new, empty directory for one test (removed first if it exists).
std::filesystem::path freshRoot(const std::string& name);

// Runs wingleaf-host --root ROOT [--plugin <this build's plug-in>] ARGS... -c LINE...
// with an empty standard input, and collects its output and exit status.
HostResult runHost(const std::filesystem::path& root, const std::vector<std::string>& lines,
                   const std::vector<std::string>& extraArgs = {}, bool loadPlugin = true);

// Runs any program with arguments and an optional standard input text.
HostResult runProgram(const std::vector<std::string>& argv, const std::string& input = "");

// Whole file content, or "" when it does not exist.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

}  // namespace wltest
