// The wingleaf-flightlab program as a person runs it: what its exit status says, and where its
// progress bar shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "wltest/HostRunner.h"

namespace {

namespace fs = std::filesystem;

// A quick comparison of 24 flights: enough for the progress display.
std::vector<std::string> quickComparison(const fs::path& out) {
    return {WL_FLIGHTLAB_EXE, "--body", "octane,dominus,plank,breakout", "--time-limit", "0.3",
            "--hud-preset", "none", "--out", out.string()};
}

TEST(FlightLabProgram, ExitStatusTellsSuccessFailureAndBadUsage) {
    const fs::path out = wltest::freshRoot("lab-program");
    wltest::writeFile(out / "not-a-plugin.so", "not a library");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;  // the start of standard error
    };
    const Case cases[] = {
        {{WL_FLIGHTLAB_EXE, "--version"}, 0, ""},
        {quickComparison(out), 0, ""},
        {{WL_FLIGHTLAB_EXE, "--plugin", (out / "not-a-plugin.so").string(), "--out", out.string()},
         1,
         "wingleaf-flightlab: "},
        {{WL_FLIGHTLAB_EXE, "--tune", "airtime=6,distance=12000", "--tune-fix", "wl_speed=-1"},
         2,
         "wingleaf-flightlab: option --tune-fix wl_speed takes a number from 0.000499 to 10, not '-1'\n"},
        {{WL_FLIGHTLAB_EXE, "--speed", "fast"},
         2,
         "wingleaf-flightlab: option --speed takes a number from 0 to 100000, not 'fast'\n"
         "(wingleaf-flightlab --help lists the options)\n"},
    };
    for (const Case& c : cases) {
        const wltest::HostResult r = wltest::runProgram(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args[1] << "\n" << r.err;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << c.args[1];
    }
    EXPECT_TRUE(fs::exists(out / "trajectories.csv"));
}

TEST(FlightLabProgram, ProgressBarOnlyOnATerminal) {
    const fs::path out = wltest::freshRoot("lab-progress");
    const std::vector<std::string> args = quickComparison(out);

    const wltest::HostResult piped = wltest::runProgram(args);
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_NE(piped.err.find("flightlab: flights 24 of 24\n"), std::string::npos) << piped.err;
    EXPECT_EQ(piped.err.find('\r'), std::string::npos) << piped.err;

    // script(1) runs the program on a terminal of its own and copies what it shows.
    if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "needs /usr/bin/script (util-linux)";
    std::string command;
    for (const std::string& word : args) command += "'" + word + "' ";
    const wltest::HostResult shown =
        wltest::runProgram({"/usr/bin/script", "-qec", command, "/dev/null"});
    ASSERT_EQ(shown.exitCode, 0) << shown.out << shown.err;
    EXPECT_NE(shown.out.find("\rflights [##############################] 100% "), std::string::npos)
        << shown.out;
    EXPECT_EQ(shown.out.find("flightlab: flights"), std::string::npos) << shown.out;
}

}  // namespace
