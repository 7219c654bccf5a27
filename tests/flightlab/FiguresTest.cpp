// A flight's figures from its samples, and what the pictures draw from them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>

#include "Chart.h"
#include "Figures.h"
#include "Flight.h"
#include "Lab.h"
#include "Launches.h"
#include "Report.h"
#include "Tune.h"

using namespace flightlab;

namespace {

constexpr double kG = -650;

// A ballistic flight stepped as the game steps it (the new velocity moves the car), from
// (0, 0, Z0) at velocity V, along the heading (degrees), down to the first tick on the floor,
// where the floor cuts the height and the vertical speed.
std::vector<Sample> ballistic(double z0, double v, double climbDeg, double headingDeg = 0) {
    const double pi = std::acos(-1.0), c = climbDeg * pi / 180, h = headingDeg * pi / 180;
    Sample s;
    s.z = z0;
    s.vx = v * std::cos(c) * std::cos(h), s.vy = v * std::cos(c) * std::sin(h), s.vz = v * std::sin(c);
    std::vector<Sample> out{s};
    while (!touchedDown(s)) {
        s.tick += 1;
        s.vz += kG * kTickS;
        s.x += s.vx * kTickS, s.y += s.vy * kTickS, s.z += s.vz * kTickS;
        if (s.z <= kRestHeightUu) s.z = kRestHeightUu, s.vz = 0, s.onGround = true;
        out.push_back(s);
    }
    return out;
}

// Launched forward and blown back: lands behind the launch point.
std::vector<Sample> blownBack() {
    auto back = ballistic(300, 200, 60);
    for (std::size_t i = 0; i < back.size(); ++i) {
        back[i].vx = 200 - 600.0 * static_cast<double>(i) / static_cast<double>(back.size());
        back[i].x = i == 0 ? 0 : back[i - 1].x + back[i].vx * kTickS;
    }
    return back;
}

Flight flightOf(const std::string& label, const std::string& body, std::vector<Sample> samples,
                const Launch& launch = {}) {
    Flight f;
    f.setup.label = label;
    f.setup.body = body;
    f.samples = std::move(samples);
    f.figures = figuresOf(f.samples, launch);
    return f;
}

}  // namespace

// Touchdown is the moment the centre reaches its resting height, between ticks: the figures
// follow the closed form of the fall whatever the tick phase, and the full impact speed counts.
TEST(Figures, TouchdownIsInterpolatedToTheRestingHeight) {
    for (const double z0 : {300.0, 300.3, 300.6, 301.0}) {
        const auto samples = ballistic(z0, 1000, 0);
        const Figures f = figuresOf(samples, Launch{});
        // z0 + g t (t + dt) / 2 = rest (each tick moves the car by its new velocity).
        const double a = kG / 2, b = kG * kTickS / 2, c = z0 - kRestHeightUu;
        const double t = (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a);
        const double vz = kG * t;
        EXPECT_TRUE(f.landed);
        EXPECT_NEAR(f.airtimeS, t, kTickS / 50) << z0;
        EXPECT_NEAR(f.distanceUu, 1000 * t, 1000 * kTickS / 50) << z0;
        EXPECT_NEAR(f.landingSpeedUu, std::hypot(1000, vz), 2) << z0;
        EXPECT_NEAR(f.descentAngleDeg, std::atan2(-vz, 1000) * 180 / std::acos(-1.0), 0.2) << z0;
        EXPECT_DOUBLE_EQ(f.topHeightUu, z0);
        EXPECT_FALSE(f.turnedBack);
    }
    // Still airborne at the limit: figures at the last sample, airtime the limit.
    auto cut = ballistic(300, 1000, 0);
    cut.resize(10);
    Launch launch;
    launch.timeLimitS = 9 * kTickS;
    const Figures f = figuresOf(cut, launch);
    EXPECT_FALSE(f.landed);
    EXPECT_DOUBLE_EQ(f.airtimeS, launch.timeLimitS);
    EXPECT_DOUBLE_EQ(f.distanceUu, cut.back().x);
}

// Distance is along the launch heading, negative behind the launch point, with the sideways
// offset to the right positive; a flight whose motion along the heading reverses is marked.
TEST(Figures, DistanceIsSignedAlongTheHeadingAndTurningBackIsMarked) {
    Launch along30;
    along30.headingDeg = 30;
    const Figures f = figuresOf(ballistic(300, 1000, 10, 30), along30);
    EXPECT_GT(f.distanceUu, 1000);
    EXPECT_NEAR(f.sideUu, 0, 1e-6);
    Launch along0;
    const Figures skew = figuresOf(ballistic(300, 1000, 10, 30), along0);
    EXPECT_NEAR(skew.distanceUu, f.distanceUu * std::cos(std::acos(-1.0) / 6), 1e-6);
    EXPECT_NEAR(skew.sideUu, f.distanceUu / 2, 1e-6);  // +Y is to the right of +X

    const auto back = blownBack();
    const Figures behind = figuresOf(back, Launch{});
    EXPECT_LT(behind.distanceUu, 0);
    EXPECT_TRUE(behind.turnedBack);
    EXPECT_FALSE(f.turnedBack);
}

// The launch's orientation reads back as its pitch and heading; the angle of attack is the
// nose's angle above the path in the car's vertical plane.
TEST(Figures, AttitudeOfTheLaunchAndAngleOfAttack) {
    Launch launch;
    launch.pitchDeg = 25;
    launch.headingDeg = 30;
    Sample s;
    for (const auto& line : setupLines(launch, flightlab::Setup{})) {
        std::sscanf(line.c_str(), "sim_set car 0 quaternion %lf %lf %lf %lf", &s.qw, &s.qx, &s.qy, &s.qz);
        std::sscanf(line.c_str(), "sim_set car 0 velocity %lf %lf %lf", &s.vx, &s.vy, &s.vz);
    }
    Attitude a = attitudeOf(s);
    EXPECT_NEAR(a.pitchDeg, 25, 1e-6);
    EXPECT_NEAR(a.yawDeg, 30, 1e-6);
    EXPECT_NEAR(a.rollDeg, 0, 1e-6);
    EXPECT_NEAR(a.angleOfAttackDeg, 0, 1e-6);
    // Falling flat (level nose, velocity straight down) is 90 degrees nose above the path.
    Sample flat;
    flat.vz = -100;
    EXPECT_NEAR(attitudeOf(flat).angleOfAttackDeg, 90, 1e-9);
    // Rolled 30 degrees right: the turn about the nose that lowers the right side (+Y).
    Sample rolled;
    rolled.qw = std::cos(std::acos(-1.0) / 12), rolled.qx = -std::sin(std::acos(-1.0) / 12);
    EXPECT_NEAR(attitudeOf(rolled).rollDeg, 30, 1e-9);
}

// Several bodies: colour per preset, dash per body, both named in the legend; the side view plots
// signed distance (axis below zero for a flight landing behind), ends at the touchdown and marks
// where a flight turned back.
TEST(FiguresChart, SideViewSeriesLegendMarkersAndRanges) {
    const auto back = blownBack();
    const std::vector<Flight> flights{flightOf("stock", "octane", ballistic(300, 2000, 20)),
                                      flightOf("3", "octane", back),
                                      flightOf("stock", "merc", ballistic(300, 1900, 20)),
                                      flightOf("3", "merc", back)};
    const Chart c = sideViewChart(flights, Launch{}, "Side view");
    ASSERT_EQ(c.panels.size(), 1u);
    const Panel& p = c.panels[0];
    ASSERT_EQ(c.legend.size(), 4u);
    EXPECT_EQ(c.legend[0].label, "stock (octane)");
    EXPECT_EQ(c.legend[3].label, "3 (merc)");
    EXPECT_EQ(c.legend[0].colour, c.legend[2].colour);
    EXPECT_NE(c.legend[0].colour, c.legend[1].colour);
    EXPECT_EQ(c.legend[0].dash, Dash::Solid);
    EXPECT_EQ(c.legend[2].dash, Dash::Dashed);
    EXPECT_EQ(c.legend[3].dash, Dash::Dashed);
    EXPECT_TRUE(c.anyTurnedBack);
    EXPECT_FALSE(c.colourBar);

    const Series& stock = p.series[0];
    EXPECT_TRUE(stock.landed);
    EXPECT_EQ(stock.points.back(), (Point{flights[0].figures.distanceUu, kRestHeightUu}));
    EXPECT_EQ(stock.points.size(), flights[0].samples.size());  // the floor sample is replaced
    EXPECT_FALSE(stock.turn);
    const Series& turned = p.series[1];
    ASSERT_TRUE(turned.turn);
    EXPECT_GT(turned.turn->first, 0);
    EXPECT_LT(turned.points.back().first, 0);
    // Round figures around every series, zero included.
    EXPECT_LE(p.x0, turned.points.back().first);
    EXPECT_GT(p.x0, turned.points.back().first - niceStep(p.x1 - p.x0));
    EXPECT_GE(p.x1, flights[0].figures.distanceUu);
    EXPECT_EQ(std::fmod(p.x0, 500), 0);
    EXPECT_EQ(p.y0, 0);
    EXPECT_EQ(p.xLabel, "distance along the launch heading (uu)");
}

// No colour repeats in a picture of many presets.
TEST(FiguresChart, EveryPresetHasItsOwnColour) {
    std::vector<Flight> flights;
    for (int i = 0; i < 30; ++i) {
        std::string name = "p";  // appended: GCC 12 at -O3 warns falsely about "p" + string
        name += std::to_string(i);
        flights.push_back(flightOf(name, "octane", ballistic(300, 1000, 0)));
    }
    const Chart c = timeChart(flights, Launch{}, Quantity::Height, "t");
    std::set<std::tuple<double, double, double>> colours;
    for (const auto& e : c.legend) colours.insert({e.colour.r, e.colour.g, e.colour.b});
    EXPECT_EQ(colours.size(), flights.size());
}

// A sweep's colour bar is dark at its low value whichever way the sweep ran.
TEST(FiguresChart, SweepColourBarIsDarkAtTheLowEnd) {
    std::vector<Flight> flights;
    for (float v : {10.0f, 5.0f, 0.0f}) {
        Flight f = flightOf("wl_lift " + sliderText(v), "octane", ballistic(300, 1000, 0));
        f.setup.overrides = {{Slider::lift, v}};
        flights.push_back(f);
    }
    const ColourScale scale{"wl_lift", 10, 0};
    const Chart c = sideViewChart(flights, Launch{}, "Sweep", &scale);
    ASSERT_TRUE(c.colourBar);
    EXPECT_EQ(c.colourBar->low, 0);
    EXPECT_EQ(c.colourBar->high, 10);
    EXPECT_TRUE(c.legend.empty());
    EXPECT_EQ(c.panels[0].series[2].colour, sweepColour(0));
    EXPECT_EQ(c.panels[0].series[0].colour, sweepColour(1));
}

// The attitude picture: pitch above, angle of attack below, over the same time axis.
TEST(FiguresChart, AttitudeChartHasPitchAndAngleOfAttackPanels) {
    const Flight f = flightOf("stock", "octane", ballistic(300, 1000, 0));
    const Chart c = attitudeChart({f}, Launch{}, "Attitude");
    ASSERT_EQ(c.panels.size(), 2u);
    EXPECT_EQ(c.panels[0].yLabel, "pitch (deg)");
    EXPECT_EQ(c.panels[1].yLabel, "angle of attack (deg)");
    EXPECT_EQ(c.panels[1].series[0].points.back().first, f.figures.airtimeS);
    // Level nose, falling: the angle of attack grows from 0.
    EXPECT_EQ(c.panels[1].series[0].points.front().second, 0);
    EXPECT_GT(c.panels[1].series[0].points.back().second, 20);
}

// The table and the figures file carry the same figures: signed distance, side offset, the
// turned-back mark.
TEST(FiguresReport, TableAndFiguresFileAgree) {
    const auto back = blownBack();
    const Flight f = flightOf("3", "octane", back);
    std::ostringstream table, csv;
    writeTable(table, {f});
    writeFiguresCsv(csv, {f});
    char distance[32];
    std::snprintf(distance, sizeof distance, "%.1f<", f.figures.distanceUu);
    EXPECT_NE(table.str().find(distance), std::string::npos) << table.str();
    EXPECT_NE(table.str().find("< turned back"), std::string::npos);
    std::snprintf(distance, sizeof distance, ",%.3f,", f.figures.distanceUu);
    EXPECT_NE(csv.str().find(distance), std::string::npos) << csv.str();
    EXPECT_EQ(csv.str().substr(0, csv.str().find('\n')),
              "preset,body,landed,airtime_s,distance_uu,side_uu,top_height_uu,landing_speed_uu_s,"
              "descent_deg,turned_back");
}

// A grid's launches: every combination, the first part varying slowest, described as typed.
TEST(FiguresGrid, LaunchesSummaryAndHeatMap) {
    LaunchGrid grid;
    grid.axes = {{"speed", 1000, 2000, 2}, {"pitch", 0, 60, 3}};
    ASSERT_EQ(grid.size(), 6u);
    const Launch fifth = grid.launch(Launch{}, 4);
    EXPECT_EQ(fifth.speedUu, 2000);
    EXPECT_EQ(fifth.pitchDeg, 30);
    EXPECT_EQ(fifth.heightUu, Launch{}.heightUu);
    EXPECT_EQ(grid.describe(), "speed 1000 to 2000 uu/s (2), pitch 0 to 60 deg (3)");

    GridResult r;
    r.grid = grid;
    r.setups = {setupFor("stock"), setupFor("1")};
    for (int s = 0; s < 2; ++s) {
        for (std::size_t l = 0; l < grid.size(); ++l) {
            Figures f;
            f.landed = true;
            f.airtimeS = s == 0 ? 3 : 3 + (static_cast<double>(l) - 1);  // below stock at launch 0
            r.figures.push_back(f);
        }
    }
    std::ostringstream summary;
    writeGridSummary(summary, r);
    EXPECT_NE(summary.str().find("1       airtime s                4.500       2.000       7.000       4 of 6\n"),
              std::string::npos)
        << summary.str();
    EXPECT_NE(summary.str().find("stock   airtime s                3.000       3.000       3.000            -\n"),
              std::string::npos)
        << summary.str();

    const HeatMap m = gridHeatMap(r, kGridFigures.front());
    EXPECT_EQ(m.xs, (std::vector<double>{1000, 2000}));
    EXPECT_EQ(m.ys, (std::vector<double>{0, 30, 60}));
    EXPECT_EQ(m.xName, "speed (uu/s)");
    ASSERT_EQ(m.panels.size(), 1u);
    EXPECT_EQ(m.panels[0].label, "1");
    // Launch (speed i, pitch j) is number i * 3 + j; its cell is row j, column i.
    EXPECT_EQ(m.panels[0].cells, (std::vector<double>{-1, 2, 0, 3, 1, 4}));
    EXPECT_EQ(m.limit, 4);

    std::ostringstream csv;
    writeLaunchesCsv(csv, r);
    EXPECT_EQ(csv.str().substr(0, csv.str().find('\n')),
              "preset,body,speed,pitch,height,heading,boost-time,landed,airtime_s,distance_uu,side_uu,"
              "top_height_uu,landing_speed_uu_s,descent_deg,turned_back");
    EXPECT_NE(csv.str().find("\n1,octane,2000.000,30.000,300.000,0.000,1.000,1,6.0000,"), std::string::npos);
}

// What a tune, a grid and held input accept, and the impossible targets refused before flying.
TEST(FiguresOptions, LaunchGridInputAndTargets) {
    std::string error;
    bool informational = false;
    const auto parse = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--hud-preset", "none"});
        return parseOptions(args, error, informational);
    };
    auto o = parse({"--launches", "speed=1000:2300:4,heading=0:90:3", "--input", "pitch=0.5,throttle=-1",
                    "--heading", "45"});
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->launches->size(), 12u);
    EXPECT_EQ(o->launch.input.pitch, 0.5);
    EXPECT_EQ(o->launch.input.throttle, -1);
    EXPECT_EQ(o->launch.headingDeg, 45);
    o = parse({"--tune", "airtime=1.5x,distance=9000", "--tune-tolerance", "2", "--tune-restarts", "3"});
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->tune->targets.relative.airtime);
    EXPECT_FALSE(o->tune->targets.relative.distance);
    EXPECT_EQ(o->tune->tolerance, 0.02);
    EXPECT_EQ(o->tune->restarts, 3);
    Figures stock;
    stock.airtimeS = 4;
    EXPECT_EQ(*o->tune->targets.against(stock).airtimeS, 6);

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
        {{"--tune", "airtime=12"}, "option --tune: an airtime of 12 s is beyond the time limit of 10 s"},
        {{"--tune", "top=200"},
         "option --tune: a top height of 200 uu is below the launch height of 300 uu: the car starts higher"},
        {{"--launches", "speed=1000:2000:3,speed=1:2:2"}, "option --launches: speed is given twice"},
        {{"--launches", "spin=0:1:2"},
         "option --launches: unknown part 'spin'; option --launches takes PART=FROM:TO:N,... with parts "
         "speed, pitch, height, heading, boost-time and N from 1 to 100, e.g. speed=1000:2300:4,pitch=0:60:5"},
        {{"--launches", "pitch=0:60:5", "--sweep", "wl_lift=0:10:3"},
         "options --sweep and --launches cannot be combined: a sweep flies one launch"},
        {{"--input", "pitch=2"}, "option --input pitch takes a number from -1 to 1, not '2'"},
        {{"--input", "boost=1"},
         "option --input: unknown input 'boost'; option --input takes pitch=P,yaw=Y,roll=R,throttle=T (any of "
         "them, each from -1 to 1), e.g. pitch=0.5,throttle=1"},
    };
    for (const auto& [args, expected] : refused) {
        EXPECT_FALSE(parse(args)) << expected;
        EXPECT_EQ(error, expected);
    }
}

// A flight cut off at the time limit never meets an airtime target, however close its airtime.
TEST(FiguresTune, AirborneAtTheLimitNeverMeetsAnAirtimeTarget) {
    TuneTargets t;
    t.airtimeS = 10;
    Figures cut;
    cut.airtimeS = 10;
    EXPECT_GE(tuneError(t, cut), 1);
    cut.landed = true;
    EXPECT_EQ(tuneError(t, cut), 0);
}
