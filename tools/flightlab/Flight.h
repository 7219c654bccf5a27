// One simulated flight: the launch, the console script that flies it, and its trajectory.
#pragma once
#include <string>
#include <vector>

namespace flightlab {

// The launch every compared preset flies: a car leaving a ramp.
struct Launch {
    double speedUu = 2000;     // uu/s along the nose at release
    double pitchDeg = 25;      // nose-up pitch at release
    double heightUu = 300;     // height of the car's centre at release
    double boostSeconds = 1;   // boost held from release for this long
    double timeLimitS = 10;    // flights still airborne then are cut off
};

// What flies: the stock car (model off), a base preset index, or a user preset name,
// optionally with one slider overridden.
struct Setup {
    std::string label;          // shown in the table, CSV and plot
    bool modelOn = false;
    std::string preset;         // value given to wl_preset ("" for none)
    std::string overrideVar;    // e.g. wl_lift ("" for none)
    std::string overrideValue;
};

struct Sample {
    int tick = 0;
    double x = 0, y = 0, z = 0;
    double vx = 0, vy = 0, vz = 0;
    bool onGround = false;
};

struct Flight {
    Setup setup;
    std::vector<Sample> samples;  // from release to landing (or the time limit)
    bool landed = false;
    double airtimeS = 0;
    double distanceUu = 0;        // horizontal distance from release to landing
    double topHeightUu = 0;
    double landingSpeedUu = 0;
    int apexTick = 0;
};

constexpr double kTickS = 1.0 / 120.0;

// The console lines that set the flight up; flying adds ticks and state reads.
std::vector<std::string> setupLines(const Launch& launch, const Setup& setup);

// The whole script: setup, then one state read per tick up to the time limit,
// optionally ending with a canvas drawing at one tick.
std::string flightScript(const Launch& launch, const Setup& setup, int drawAtTick = -1,
                         const std::string& drawFile = "");

// Reads "car0.FIELD = ..." lines of the host's state reads into samples.
std::vector<Sample> parseSamples(const std::string& hostOutput);

// Cuts the samples at the landing and fills the figures of the flight.
void summarise(Flight& flight, const Launch& launch);

}  // namespace flightlab
