// Runs the wingleaf-host program the way a person would, for integration tests.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "process/ProcessRunner.h"

namespace wltest {

// Exit status, standard output and standard error of a finished program.
using HostResult = wlproc::ProcessResult;

// A new, empty directory for one test (removed first if it exists), in this process's scratch
// folder $TMPDIR/wingleaf-tests-PID. It is removed when the test ends, passed or failed (or when
// the program ends, for one made outside a test); WL_KEEP_TEST_FILES=1 keeps it for a look.
std::filesystem::path freshRoot(const std::string& name);

// This process's scratch folder (it may not exist).
std::filesystem::path processFolder();

// Removes PATH (a file or a folder made outside processFolder()) as freshRoot's folders are.
void removeAfterTest(const std::filesystem::path& path);

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
