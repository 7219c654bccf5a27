// Stock flights of wingleaf-host (no plug-in) against per-tick traces of an independent simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "wltest/HostRunner.h"

namespace {

namespace fs = std::filesystem;

struct Vec {
    double x = 0, y = 0, z = 0;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(Vec v) { return std::sqrt(dot(v, v)); }
double angleBetween(Vec a, Vec b) { return std::atan2(length(cross(a, b)), dot(a, b)); }

struct CarState {
    Vec pos, vel, ang, forward, up;
};

// One line of a trace: "TICK pos X Y Z vel X Y Z ang X Y Z fwd X Y Z right X Y Z up X Y Z ...".
bool parseTraceLine(const std::string& line, CarState& s) {
    std::istringstream in(line);
    int tick = 0;
    std::string label;
    Vec right;
    in >> tick;
    for (Vec* v : {&s.pos, &s.vel, &s.ang, &s.forward, &right, &s.up})
        in >> label >> v->x >> v->y >> v->z;
    return bool(in);
}

std::vector<CarState> readTrace(const fs::path& file) {
    std::ifstream in(file);
    std::vector<CarState> states;
    std::string line;
    while (std::getline(in, line)) {
        CarState s;
        if (!parseTraceLine(line, s)) ADD_FAILURE() << file << ": unreadable line '" << line << "'";
        states.push_back(s);
    }
    return states;
}

Vec parseVec(const std::string& text) {
    Vec v;
    std::sscanf(text.c_str(), "%lf, %lf, %lf", &v.x, &v.y, &v.z);
    return v;
}

// The car-local vector v in world coordinates under the unit quaternion (w, x, y, z).
Vec rotate(double qw, Vec q, Vec v) {
    const Vec t = cross(q, v);
    const Vec t2 = {2 * t.x, 2 * t.y, 2 * t.z};
    const Vec u = cross(q, t2);
    return {v.x + qw * t2.x + u.x, v.y + qw * t2.y + u.y, v.z + qw * t2.z + u.z};
}

// The car's states from the "sim_state car 0" blocks of the host's output, in order.
std::vector<CarState> hostStates(const std::vector<std::string>& lines) {
    std::vector<CarState> states;
    for (const std::string& line : lines) {
        const auto eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 3);
        if (key == "car0.location") {
            states.emplace_back();
            states.back().pos = parseVec(value);
        } else if (states.empty()) {
            continue;
        } else if (key == "car0.velocity") {
            states.back().vel = parseVec(value);
        } else if (key == "car0.angular_velocity") {
            states.back().ang = parseVec(value);
        } else if (key == "car0.quaternion") {
            double w = 1;
            Vec q;
            std::sscanf(value.c_str(), "%lf, %lf, %lf, %lf", &w, &q.x, &q.y, &q.z);
            states.back().forward = rotate(w, q, {1, 0, 0});
            states.back().up = rotate(w, q, {0, 0, 1});
        }
    }
    return states;
}

struct TraceCase {
    const char* file;
    const char* quaternion;  // W X Y Z
    const char* input;       // sim_input words held from the start
    int ticks;
    int releaseTick;  // inputs back to neutral after this tick; 0 = held throughout
};

// Nose 25 degrees up: a turn of -25 degrees about the car's right axis (world +Y).
constexpr const char* kNoseUp25 = "0.976296007 0 -0.216439614 0";

const TraceCase kCases[] = {
    {"ballistic_rest.txt", "1 0 0 0", "", 600, 0},
    {"boost_rest_p25.txt", kNoseUp25, "boost 1", 600, 0},
    {"throttle_rest.txt", "1 0 0 0", "throttle 1", 600, 0},
    {"pitch.txt", "1 0 0 0", "pitch 1", 120, 60},
    {"yaw.txt", "1 0 0 0", "yaw 1", 120, 60},
    {"roll.txt", "1 0 0 0", "roll 1", 120, 60},
};

std::string script(const TraceCase& s) {
    std::string text = "sim_mode freeplay\nsim_set car 0 location 0 0 10000\n"
                       "sim_set car 0 on_ground 0\nsim_set car 0 quaternion " +
                       std::string(s.quaternion) + "\nsim_state car 0\n";
    if (*s.input) text += "sim_input " + std::string(s.input) + "\n";
    for (int tick = 1; tick <= s.ticks; ++tick) {
        text += "sim_tick 1\nsim_state car 0\n";
        if (tick == s.releaseTick) text += "sim_input throttle 0 boost 0 pitch 0 yaw 0 roll 0\n";
    }
    return text + "quit\n";
}

class ReferenceTrace : public ::testing::TestWithParam<TraceCase> {};

TEST_P(ReferenceTrace, EveryTickAgreesWithTheReference) {
    const TraceCase& s = GetParam();
    const fs::path file = fs::path(WL_REFERENCE_TRACES) / s.file;
    if (!fs::exists(file)) GTEST_SKIP() << "no reference trace " << file;
    const std::vector<CarState> expected = readTrace(file);
    ASSERT_EQ(expected.size(), std::size_t(s.ticks) + 1) << file;

    const auto root = wltest::freshRoot(std::string("trace-") + s.file);
    const auto r = wltest::runProgram({WL_HOST_EXE, "--root", root.string()}, script(s));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<CarState> actual = hostStates(r.lines());
    ASSERT_EQ(actual.size(), expected.size());

    double pos = 0, vel = 0, ang = 0, forward = 0, up = 0;
    for (std::size_t tick = 0; tick < expected.size(); ++tick) {
        const CarState& a = actual[tick];
        const CarState& e = expected[tick];
        pos = std::max(pos, length(a.pos - e.pos));
        vel = std::max(vel, length(a.vel - e.vel));
        ang = std::max(ang, length(a.ang - e.ang));
        forward = std::max(forward, angleBetween(a.forward, e.forward));
        up = std::max(up, angleBetween(a.up, e.up));
        if (pos > 0.05 || vel > 0.01 || ang > 1e-4 || forward > 1e-4 || up > 1e-4) {
            ADD_FAILURE() << s.file << " departs at tick " << tick;
            break;
        }
    }
    std::printf("%-20s largest deviation: position %.3g uu, velocity %.3g uu/s, angular velocity "
                "%.3g rad/s, forward %.3g rad, up %.3g rad\n",
                s.file, pos, vel, ang, forward, up);
}

INSTANTIATE_TEST_SUITE_P(SetUps, ReferenceTrace, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<TraceCase>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
                             return name;
                         });

}  // namespace
