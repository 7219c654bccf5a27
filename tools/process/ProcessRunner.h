// Starting other programs for the tools and the tests: run to the end with captured output, or
// keep one running and read its output line by line.
#pragma once
#include <chrono>
#include <string>
#include <vector>

namespace wlproc {

struct ProcessResult {
    // The exit status, or 128 + the signal number when a signal ended the program (as a shell
    // reports it).
    int exitCode = -1;
    int signal = 0;         // the signal that ended it; 0 when it exited
    bool timedOut = false;  // killed because it outlived the timeout
    std::string out;        // standard output
    std::string err;        // standard error

    // Standard output as lines, without line ends.
    std::vector<std::string> lines() const;
};

struct ProcessOptions {
    std::string input;  // fed to standard input, which is then closed
    // Longest run before the program is killed (SIGKILL); zero waits as long as it takes.
    std::chrono::milliseconds timeout{0};
};

// Runs argv[0] (a path, not looked up on PATH) with the other words as arguments, feeding the
// input while collecting both outputs, and waits for it to end. Safe to call from several
// threads at once. Throws std::runtime_error when the program cannot be started.
ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// A program running beside the caller, its standard output read line by line; its standard
// input stays open until finish(). Standard error goes where the caller's goes.
class RunningProcess {
public:
    // Throws std::runtime_error when the program cannot be started.
    explicit RunningProcess(const std::vector<std::string>& argv);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    // The next line of standard output without its line end (a CR before the LF is dropped);
    // "" once the program has closed its output.
    std::string readLine();
    // Closes its input, waits for it to end and returns the exit status as in ProcessResult;
    // -1 when already finished.
    int finish();

private:
    int pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

}  // namespace wlproc
