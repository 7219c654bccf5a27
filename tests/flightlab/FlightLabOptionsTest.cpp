// The flight lab's command line and its reading of the host's state lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Flight.h"
#include "Lab.h"
#include "Progress.h"
#include "Report.h"
#include "Tune.h"

using namespace flightlab;

namespace {

std::optional<LabOptions> parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
    std::string error;
    bool informational = false;
    auto o = parseOptions(args, error, informational);
    if (errorOut) *errorOut = error;
    return o;
}

}  // namespace

TEST(FlightLabOptions, RejectsBadArgumentsWithAClearLine) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--speed", "fast"}, "option --speed takes a number from 0 to 100000, not 'fast'"},
        {{"--speed", "nan"}, "option --speed takes a number from 0 to 100000, not 'nan'"},
        {{"--pitch", "91"}, "option --pitch takes a number from -90 to 90, not '91'"},
        {{"--height", "5"}, "option --height takes a number from 18 to 100000, not '5'"},
        {{"--time-limit", "0"}, "option --time-limit takes a number from 0.01 to 600, not '0'"},
        {{"--speed"}, "option --speed needs a value"},
        {{"--wings", "2"}, "unknown option --wings"},
        {{"--wings"}, "unknown option --wings"},
        {{"--presets", ","}, "option --presets needs at least one preset"},
        {{"--presets", "stock,Glide"},
         "user preset 'Glide' needs --preset-dir (a game folder's bakkesmod/wingleaf)"},
        {{"--presets", "stock,Glide", "--preset-dir", "/nonexistent"},
         "user preset 'Glide': no preset file /nonexistent/Glide.txt"},
        {{"--sweep", "wl_lfit=0:10:11"},
         "option --sweep: unknown slider 'wl_lfit' (sliders: wl_speed, wl_boost, wl_air_density, "
         "wl_length, wl_width, wl_height, wl_drag_x, wl_drag_y, wl_drag_z, wl_pitch, wl_roll, "
         "wl_yaw, wl_lift, wl_throttle)"},
        {{"--presets", "stock,2", "--hud-preset", "4"},
         "option --hud-preset: preset '4' is not flown (the flown presets are stock, 2)"},
        {{"--body", "octane,van"},
         "option --body: unknown body 'van' (bodies: octane, dominus, plank, breakout, hybrid, merc)"},
        {{"--tune", "airtime=6,height=3"},
         "option --tune takes airtime=S,distance=UU[,top=UU][,landing=UU/S], each also as a factor "
         "of stock's figure at the same launch (airtime=1.5x), e.g. airtime=6,distance=12000"},
        {{"--tune", "airtime=6", "--tune-fix", "wl_spede=1"},
         "option --tune-fix: unknown slider 'wl_spede' (sliders: wl_speed, wl_boost, "
         "wl_air_density, wl_length, wl_width, wl_height, wl_drag_x, wl_drag_y, wl_drag_z, "
         "wl_pitch, wl_roll, wl_yaw, wl_lift, wl_throttle)"},
        {{"--tune-name", "Mine"},
         "options --tune-start, --tune-fix, --tune-name, --seed, --tune-restarts, --tune-tolerance "
         "and --force need --tune"},
        {{"--tune", "airtime=6", "--tune-name", "Mine"},
         "option --tune-name needs --game DIR (the game folder to install it in)"},
        {{"--workers", "1.5"}, "option --workers takes a whole number"},
        {{"--presets", "a\";sim_mode menu", "--preset-dir", "/tmp"},
         "user preset 'a\";sim_mode menu' may not hold double quotes, ';' or line breaks"},
    };
    for (const auto& [args, expected] : cases) {
        std::string error;
        EXPECT_FALSE(parse(args, &error)) << expected;
        EXPECT_EQ(error, expected);
    }
    for (const std::string bad : {"wl_lift", "wl_lift=0:10", "wl_lift=0:10:1", "wl_lift=a:1:3",
                                  "wl_lift=0:1:2.5"}) {
        std::string error;
        EXPECT_FALSE(parse({"--sweep", bad}, &error)) << bad;
        EXPECT_NE(error.find("--sweep takes VAR=FROM:TO:STEPS"), std::string::npos) << bad;
    }
}

TEST(FlightLabOptions, EveryPartOfTheLaunchIsAnOption) {
    const auto o = parse({"--speed", "1500", "--pitch", "-10", "--height", "400", "--boost-time",
                          "0.5", "--time-limit", "3", "--presets", "stock,2", "--sweep",
                          "wl_lift=0:10:6", "--sweep-preset", "4", "--hud-preset", "none",
                          "--body", "merc,plank", "--workers", "3", "--keep-runs"});
    ASSERT_TRUE(o);
    EXPECT_EQ(o->launch.speedUu, 1500);
    EXPECT_EQ(o->launch.pitchDeg, -10);
    EXPECT_EQ(o->launch.heightUu, 400);
    EXPECT_EQ(o->launch.boostSeconds, 0.5);
    EXPECT_EQ(o->launch.timeLimitS, 3);
    EXPECT_EQ(o->presets, (std::vector<std::string>{"stock", "2"}));
    ASSERT_TRUE(o->sweep);
    EXPECT_EQ(o->sweep->variable, "wl_lift");
    EXPECT_EQ(o->sweep->steps, 6);
    EXPECT_EQ(o->sweep->preset, "4");
    EXPECT_EQ(o->hudPreset, "");
    EXPECT_EQ(o->bodies, (std::vector<std::string>{"merc", "plank"}));
    EXPECT_EQ(o->workers, 3);
    EXPECT_TRUE(o->keepRuns);
}

TEST(FlightLabOptions, TuneOptionsAndInformationalAnswers) {
    const auto o = parse({"--tune", "airtime=6.2,distance=13000,landing=1900", "--tune-start", "1",
                          "--tune-fix", "wl_speed=2,wl_boost=0.5", "--seed", "7"});
    ASSERT_TRUE(o && o->tune);
    EXPECT_EQ(o->tune->targets.airtimeS, 6.2);
    EXPECT_EQ(o->tune->targets.distanceUu, 13000);
    EXPECT_FALSE(o->tune->targets.topHeightUu);
    EXPECT_EQ(o->tune->targets.landingSpeedUu, 1900);
    EXPECT_EQ(o->tune->start, "1");
    EXPECT_EQ(o->tune->fixed, (std::vector<std::pair<int, double>>{{0, 2}, {1, 0.5}}));
    EXPECT_EQ(o->tune->seed, 7u);

    std::string text;
    bool informational = false;
    EXPECT_FALSE(parseOptions({"--help"}, text, informational));
    EXPECT_TRUE(informational);
    for (const char* option : {"--speed", "--body", "--sweep", "--tune", "--tune-start", "--tune-fix",
                               "--seed", "--tune-name", "--game", "--workers", "--keep-runs",
                               "--version", "--host-processes"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
    EXPECT_FALSE(parseOptions({"--version"}, text, informational));
    EXPECT_TRUE(informational);
    EXPECT_EQ(text.rfind("wingleaf-flightlab ", 0), 0u) << text;
}

TEST(FlightLabFlight, ScriptSetsUpTheLaunchAndReleasesBoostOnTime) {
    Launch launch;
    launch.boostSeconds = 0.025;  // three ticks
    launch.timeLimitS = 0.05;     // six ticks
    const auto stock = setupFor("stock");
    const std::string script = flightScript(launch, stock);
    EXPECT_NE(script.find("wl_enabled 0\n"), std::string::npos);
    EXPECT_NE(script.find("sim_set car 0 location 0 0 300\n"), std::string::npos);
    EXPECT_NE(script.find("sim_input boost 1\n"), std::string::npos);
    // Boost is let go after the third tick, before the fourth.
    std::size_t pos = 0;
    int ticksBeforeRelease = 0;
    const std::size_t release = script.find("sim_input boost 0\n");
    ASSERT_NE(release, std::string::npos);
    while ((pos = script.find("sim_tick 1\n", pos)) != std::string::npos && pos < release) {
        ++ticksBeforeRelease;
        ++pos;
    }
    EXPECT_EQ(ticksBeforeRelease, 3);
    auto glide = setupFor("My Glide");
    glide.body = "merc";
    const std::string glideScript = flightScript(launch, glide);
    EXPECT_NE(glideScript.find("wl_preset \"My Glide\"\nwl_enabled 1\n"), std::string::npos);
    EXPECT_NE(glideScript.find("sim_set car 0 extent 61.61 39.605 22.0795\n"), std::string::npos);
}

TEST(FlightLabReport, BodyColumnOnlyWhenBodiesDifferAndCausesOfEachSetup) {
    Flight stock, glide;
    stock.setup = setupFor("stock");
    stock.figures.landed = true;
    stock.figures.airtimeS = 3.5;
    glide.setup = setupFor("My, \"Glide\"");
    glide.setup.body = "merc";
    glide.figures.airtimeS = 10;
    glide.sliders[0] = 2.25;
    std::ostringstream one, two, sliders, csv;
    writeTable(one, {stock});
    writeTable(two, {stock, glide});
    writeSliderTable(sliders, {stock, glide});
    writePresetsCsv(csv, {glide});
    EXPECT_EQ(one.str().find("body"), std::string::npos);
    EXPECT_NE(two.str().find("stock        octane         3.500"), std::string::npos) << two.str();
    EXPECT_NE(two.str().find("merc          10.000+"), std::string::npos) << two.str();
    EXPECT_NE(sliders.str().find("octane    model off\n"), std::string::npos) << sliders.str();
    EXPECT_NE(sliders.str().find("merc        2.250    0.000"), std::string::npos) << sliders.str();
    EXPECT_NE(csv.str().find("\n\"My, \"\"Glide\"\"\",merc,on,2.25000,0.00000,"), std::string::npos)
        << csv.str();
}

// Trajectory rows read as printf writes them: signs of tiny figures, halves, wide figures.
TEST(FlightLabReport, TrajectoryRowsAreThePrintfFigures) {
    Flight f;
    f.setup = setupFor("stock");
    f.samples = {{7, -0.0004, 2.0005, 1e6 / 3, -1812.6165, 0, 845.2375}};
    std::ostringstream csv;
    writeCsv(csv, {f});
    const Sample& s = f.samples[0];
    char row[512];
    std::snprintf(row, sizeof row, "stock,octane,7,%.4f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f,", 7 * kTickS,
                  s.x, s.y, s.z, s.vx, s.vy, s.vz, std::sqrt(s.vx * s.vx + s.vz * s.vz));
    EXPECT_EQ(csv.str().substr(csv.str().find('\n') + 1, std::strlen(row)), row);
}

TEST(FlightLabTune, ErrorSumsRelativeMissesOfTheSetTargetsOnly) {
    Figures f;
    f.landed = true;
    f.airtimeS = 5.5;
    f.distanceUu = 11000;
    f.topHeightUu = 1000;
    f.landingSpeedUu = 2000;
    TuneTargets t;
    t.airtimeS = 5;
    EXPECT_DOUBLE_EQ(tuneError(t, f), 0.1);
    t.distanceUu = 10000;
    t.landingSpeedUu = 2000;
    EXPECT_DOUBLE_EQ(tuneError(t, f), 0.2);
}

TEST(FlightLabProgress, PlainLinesAtEachTenthAndABarOnATerminal) {
    std::ostringstream plain, bar;
    Progress lines(plain, false, "flights", 100), drawn(bar, true, "flights", 100);
    for (std::size_t i = 1; i <= 100; ++i) {
        lines.update(i);
        drawn.update(i);
    }
    drawn.finish();
    const std::string text = plain.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10) << text;
    EXPECT_NE(plain.str().find("flightlab: flights 100 of 100\n"), std::string::npos);
    EXPECT_NE(bar.str().find("\rflights [##############################] 100% "), std::string::npos);
    std::ostringstream few;
    Progress quiet(few, false, "flights", 6);
    quiet.update(6);
    EXPECT_EQ(few.str(), "");
}
