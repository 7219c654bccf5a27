// The flight lab's command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Flight.h"
#include "Lab.h"

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
         "options --tune-start, --tune-fix, --tune-name, --game, --seed, --tune-restarts, "
         "--tune-tolerance and --force need --tune (--game also goes with --serve)"},
        {{"--game", "/tmp"},
         "options --tune-start, --tune-fix, --tune-name, --game, --seed, --tune-restarts, "
         "--tune-tolerance and --force need --tune (--game also goes with --serve)"},
        {{"--force"},
         "options --tune-start, --tune-fix, --tune-name, --game, --seed, --tune-restarts, "
         "--tune-tolerance and --force need --tune (--game also goes with --serve)"},
        {{"--tune", "airtime=6", "--game", "/tmp"},
         "option --game needs --tune-name NAME (the name to install the preset as)"},
        {{"--tune", "airtime=6,distance=9000,airtime=5"}, "option --tune: airtime is given twice"},
        {{"--tune", "airtime=6", "--sweep", "wl_lift=0:10:3"},
         "option --sweep cannot be used with --tune (a tune flies its own set-ups)"},
        {{"--tune", "airtime=6", "--body", "octane,merc"},
         "option --body: a tune designs a preset on one body, not octane, merc"},
        {{"--serve", "--launches", "pitch=10:40:4"},
         "options --serve and --launches cannot be combined: the page flies one launch"},
        {{"--presets", ""}, "option --presets needs a value"},
        {{"--hud-preset", ""}, "option --hud-preset needs a value"},
        {{"--tune", "airtime=6", "--tune-name", "Mine"},
         "option --tune-name needs --game DIR (the game folder to install it in)"},
        {{"--workers", "1.5"}, "option --workers takes a whole number"},
        {{"--presets", "a\";sim_mode menu", "--preset-dir", "/tmp"},
         "user preset 'a\";sim_mode menu' may not hold double quotes, ';' or line breaks"},
        {{"--input", "pitch=1,pitch=0"}, "option --input: pitch is given twice"},
        {{"--input", "pitch"},
         "option --input takes pitch=P,yaw=Y,roll=R,throttle=T (any of them, each from -1 to 1), "
         "e.g. pitch=0.5,throttle=1"},
        {{"--launches", "pitch=10:40:101"},
         "option --launches takes PART=FROM:TO:N,... with parts speed, pitch, height, heading, "
         "boost-time and N from 1 to 100, e.g. speed=1000:2300:4,pitch=0:60:5"},
        {{"--launches", "pitch=0:60:100,speed=0:2000:100,heading=0:90:2"},
         "option --launches: 20000 launches; at most 10000 are flown in one run"},
        {{"--tune", "airtime=6", "--tune-fix", "wl_speed"},
         "option --tune-fix takes VAR=VALUE,..., e.g. wl_speed=1,wl_boost=1"},
        {{"--tune", "airtime=6,top=100"},
         "option --tune: a top height of 100 uu is below the launch height of 300 uu: the car starts "
         "higher"},
        {{"--tune", "airtime=6,top=0.5x"},
         "option --tune: a top height of 0.5x stock's is below the launch height: stock's top height "
         "is at least the launch height"},
        {{"--tune", "airtime=6", "--game", "/nonexistent", "--tune-name", "Mine"},
         "option --game: /nonexistent is not a game folder with the plug-in installed (no "
         "bakkesmod/plugins/settings/wingleaf.set; 'cmake --install build/release --prefix "
         "/nonexistent' lays one out)"},
        {{"--serve", "--tune", "airtime=6"},
         "option --serve runs the workbench alone: tune and sweep from the page"},
        {{"--serve", "--port", "80.5"}, "option --port takes a whole number"},
        {{"--plugin", "/nonexistent/wingleaf.so"}, "no plug-in library /nonexistent/wingleaf.so"},
        {{"extra"}, "unexpected argument 'extra'"},
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
                               "--version"})
        EXPECT_NE(text.find(option), std::string::npos) << option;
    EXPECT_FALSE(parseOptions({"--version"}, text, informational));
    EXPECT_TRUE(informational);
    EXPECT_EQ(text.rfind("wingleaf-flightlab ", 0), 0u) << text;
}
