// The process runner shared by the tools and the tests: input, both outputs, status, timeout.
#include <gtest/gtest.h>

#include <stdexcept>

#include "process/ProcessRunner.h"

namespace {

using wlproc::ProcessOptions;
using wlproc::runProcess;
using namespace std::chrono_literals;

TEST(ProcessRunner, FeedsInputCollectsBothOutputsAndReportsHowItEnded) {
    struct Case {
        const char* script;
        ProcessOptions options;
        int exitCode, signal;
        bool timedOut;
        std::size_t outSize;
        const char* err;
    };
    const std::string big(1 << 20, 'x');
    const Case cases[] = {
        {"cat; echo oops >&2; exit 3", {"a\nb\n", 0ms}, 3, 0, false, 4, "oops\n"},
        // A megabyte through each pipe at once: nothing may fill up and stall.
        {"tee /dev/stderr", {big, 0ms}, 0, 0, false, big.size(), nullptr},
        // A program that never reads its input must not stop the runner.
        {"exit 0", {big, 0ms}, 0, 0, false, 0, ""},
        {"kill -TERM $$", {"", 0ms}, 128 + 15, 15, false, 0, ""},
        {"sleep 30", {"", 200ms}, 128 + 9, 9, true, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const auto r = runProcess({"/bin/sh", "-c", c.script}, c.options);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.signal, c.signal);
        EXPECT_EQ(r.timedOut, c.timedOut);
        EXPECT_EQ(r.out.size(), c.outSize);
        if (c.err != nullptr) {
            EXPECT_EQ(r.err, c.err);
        }
    }
    EXPECT_EQ(runProcess({"/bin/sh", "-c", "cat"}, {"one\ntwo\n"}).lines(),
              (std::vector<std::string>{"one", "two"}));
}

TEST(ProcessRunner, AProgramThatCannotStartIsAnError) {
    EXPECT_THROW(runProcess({"/nonexistent/program"}), std::runtime_error);
    EXPECT_THROW(wlproc::RunningProcess({"/nonexistent/program"}), std::runtime_error);
}

TEST(ProcessRunner, ARunningProcessIsReadLineByLineAndFinishesWhenItsInputCloses) {
    wlproc::RunningProcess p({"/bin/sh", "-c", "printf 'ready\\r\\n'; cat >/dev/null; echo done"});
    EXPECT_EQ(p.readLine(), "ready");
    EXPECT_EQ(p.finish(), 0);
    EXPECT_EQ(p.finish(), -1);
}

// A program started while another runs must not inherit that one's pipes: a started program
// holding them would keep them open, and whoever reads them waiting, until it ended.
TEST(ProcessRunner, ProgramsInheritNoneOfTheRunnersPipes) {
    const auto openFiles = [] {
        return runProcess({"/bin/sh", "-c", "ls /proc/self/fd | wc -l"}).out;
    };
    const std::string alone = openFiles();
    wlproc::RunningProcess other({"/bin/sh", "-c", "cat >/dev/null"});
    EXPECT_EQ(openFiles(), alone);
}

}  // namespace
