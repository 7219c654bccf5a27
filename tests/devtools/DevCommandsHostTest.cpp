// The developer commands typed into wingleaf-host: answers, and the game state they leave.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "GameCommandLines.h"
#include "wltest/HostRunner.h"

namespace {

using State = std::map<std::string, std::string>;

bool isStateLine(const std::string& line) {
    const bool car = line.rfind("car", 0) == 0 && line.size() > 3 &&
                     std::isdigit(static_cast<unsigned char>(line[3]));
    return (car || line.rfind("ball.", 0) == 0) && line.find(" = ") != std::string::npos;
}

// The console output of one command typed between two state dumps.
struct Typed {
    int exitCode = -1;
    std::string err;
    State before;
    std::vector<std::string> answer;
    State after;
};

Typed typeBetweenStates(const std::string& test, const std::string& mode,
                        const std::vector<std::string>& setup, const std::string& command) {
    std::vector<std::string> lines = {"sim_mode " + mode};
    lines.insert(lines.end(), setup.begin(), setup.end());
    lines.push_back("sim_state");
    lines.push_back(command);
    lines.push_back("sim_state");
    const wltest::HostResult result = wltest::runHost(wltest::freshRoot(test), lines);
    Typed typed;
    typed.exitCode = result.exitCode;
    typed.err = result.err;
    std::vector<std::string> state;
    std::vector<std::string> other;
    for (const std::string& line : result.lines())
        (isStateLine(line) ? state : other).push_back(line);
    const std::size_t half = state.size() / 2;
    for (std::size_t i = 0; i < state.size(); ++i) {
        const std::size_t eq = state[i].find(" = ");
        (i < half ? typed.before : typed.after)[state[i].substr(0, eq)] = state[i].substr(eq + 3);
    }
    // The plug-in's unload line closes every session.
    if (!other.empty() && other.back() == "Debug5 statement") other.pop_back();
    typed.answer = other;
    return typed;
}

// The fields whose value differs, with their new value.
State changes(const State& before, const State& after) {
    State changed;
    for (const auto& [field, value] : after) {
        auto it = before.find(field);
        if (it == before.end() || it->second != value) changed[field] = value;
    }
    return changed;
}

std::string printfFixed(const std::string& stateValue) {
    char text[64];
    std::snprintf(text, sizeof text, "%f",
                  static_cast<double>(std::strtof(stateValue.c_str(), nullptr)));
    return text;
}

struct CommandCase {
    std::vector<std::string> setup;
    std::string command;
    std::vector<std::string> answer;
    State changed;
};

void expectCases(const std::string& test, const std::vector<CommandCase>& cases) {
    for (const CommandCase& c : cases) {
        const Typed typed = typeBetweenStates(test, "freeplay", c.setup, c.command);
        EXPECT_EQ(typed.exitCode, 0) << c.command << "\n" << typed.err;
        EXPECT_FALSE(typed.before.empty()) << c.command;
        EXPECT_EQ(typed.answer, c.answer) << c.command;
        EXPECT_EQ(changes(typed.before, typed.after), c.changed) << c.command;
    }
}

}  // namespace

TEST(DevCommandsHost, RigidBodyCommandsAnswerAndSetTheirFields) {
    const std::vector<std::string> movingTiltedCar = {
        "sim_set car 0 location 10 20 30", "sim_set car 0 velocity 100 200 -50",
        "sim_set car 0 angular_velocity 1 2 3", "sim_set car 0 quaternion 0 0 1 0"};
    expectCases(
        "rigid_body",
        {
            {{},
             "setBallRBLocation 0 0 100",
             {"ball RB location set to 0.00, 0.00, 100.00"},
             {{"ball.location", "0, 0, 100"}}},
            {{},
             "setBallRBLinearVelocity 1.5 -2 3.25",
             {"ball RB linear velocity set to 1.50, -2.00, 3.25"},
             {{"ball.velocity", "1.5, -2, 3.25"}}},
            {{},
             "setBallRBAngularVelocity 0 0 5.5",
             {"ball RB angular velocity set to 0.0000, 0.0000, 5.5000"},
             {{"ball.angular_velocity", "0, 0, 5.5"}}},
            {{"sim_set ball quaternion 0 0 0 1"},
             "setBallRBQuaternion 1 0 0 0",
             {"ball RB quaternion set to 1.0000000000, 0.0000000000, 0.0000000000, 0.0000000000"},
             {{"ball.quaternion", "1, 0, 0, 0"}}},
            {{},
             "setCarRBLocation 100 -200 17",
             {"car RB location set to 100.00, -200.00, 17.00"},
             {{"car0.location", "100, -200, 17"}}},
            {{},
             "setCarRBLinearVelocity 0.25 0 -10",
             {"car RB linear velocity set to 0.25, 0.00, -10.00"},
             {{"car0.velocity", "0.25, 0, -10"}}},
            {{},
             "setCarRBAngularVelocity 0 0 5.5",
             {"car RB angular velocity set to 0.0000, 0.0000, 5.5000"},
             {{"car0.angular_velocity", "0, 0, 5.5"}}},
            // Typed W first: this is a half turn about Z, not the identity.
            {{},
             "setCarRBQuaternion 0 0 0 1",
             {"car RB quaternion set to 0.0000000000, 0.0000000000, 0.0000000000, 1.0000000000"},
             {{"car0.quaternion", "0, 0, 0, 1"}}},
            {movingTiltedCar,
             "resetCar",
             {"Car has been reset"},
             {{"car0.velocity", "0, 0, 0"},
              {"car0.angular_velocity", "0, 0, 0"},
              {"car0.quaternion", "1, 0, 0, 0"}}},
            {{},
             "slideRight 500",
             {"Velocity increased by 0.00, 500.00, 0.00"},
             {{"car0.velocity", "0, 500, 0"}}},
            {{},
             "slideRight -500",
             {"Velocity increased by -0.00, -500.00, -0.00"},
             {{"car0.velocity", "0, -500, 0"}}},
            // Facing +Y (a quarter turn about Z), the car's right-hand side is world -X.
            {{"sim_set car 0 quaternion 0.70710677 0 0 0.70710677"},
             "slideRight 100",
             {"Velocity increased by -100.00, 0.00, 0.00"},
             {{"car0.velocity", "-100, 0, 0"}}},
            // A finite push that would carry the velocity past the float range changes nothing.
            {{"sim_set car 0 quaternion 1 0 0 0", "sim_set car 0 velocity 0 3e38 0"},
             "slideRight 3e38",
             {"Velocity not changed: the result would not be finite"},
             {}},
            {{}, "setMass 250", {"RB mass set to 250"}, {{"car0.mass", "250"}}},
            {{}, "setOnGround yes", {"bOnGround set to yes"}, {{"car0.on_ground", "0"}}},
            {{"sim_set car 0 on_ground 0"},
             "setOnGround 0.5",
             {"bOnGround set to 0.5"},
             {{"car0.on_ground", "1"}}},
            // Words that read as non-finite numbers are not numbers: nothing non-finite is stored.
            {{"sim_set ball location 5 5 5"},
             "setBallRBLocation nan inf 1e999",
             {"ball RB location set to 0.00, 0.00, 0.00"},
             {{"ball.location", "0, 0, 0"}}},
        });
}

TEST(DevCommandsHost, VehicleSimCommandsAnswerAndSetTheirFields) {
    expectCases("vehicle_sim", {
                                   {{},
                                    "setDriveTorque 1000",
                                    {"drive torque set to: 1000.000000"},
                                    {{"car0.drive_torque", "1000"}}},
                                   {{"sim_set car 0 drive_torque 1234.5"},
                                    "getDriveTorque",
                                    {"drive torque: 1234.500000"},
                                    {}},
                                   {{},
                                    "setBrakeTorque 2500",
                                    {"brake torque set to: 2500.000000"},
                                    {{"car0.brake_torque", "2500"}}},
                                   {{"sim_set car 0 brake_torque 7.25"},
                                    "getBrakeTorque extra words",
                                    {"brake torque: 7.250000"},
                                    {}},
                                   {{},
                                    "setStopThreshold 0.25",
                                    {"stop threshold set to: 0.250000"},
                                    {{"car0.stop_threshold", "0.25"}}},
                                   {{"sim_set car 0 stop_threshold 3"},
                                    "getStopThreshold",
                                    {"stop threshold: 3.000000"},
                                    {}},
                                   {{},
                                    "setIdleBrakeFactor 0.5",
                                    {"idle brake factor set to: 0.500000"},
                                    {{"car0.idle_brake_factor", "0.5"}}},
                                   {{"sim_set car 0 idle_brake_factor 0.75"},
                                    "getIdleBrakeFactor",
                                    {"idle brake factor: 0.750000"},
                                    {}},
                                   {{},
                                    "setOppositeBrakeFactor 2",
                                    {"opposite brake factor set to: 2.000000"},
                                    {{"car0.opposite_brake_factor", "2"}}},
                                   {{"sim_set car 0 opposite_brake_factor 1.5"},
                                    "getOppositeBrakeFactor",
                                    {"opposite brake factor: 1.500000"},
                                    {}},
                                   {{"sim_set car 0 ackermann 0"},
                                    "setUseAckermannSteering 0.7",
                                    {"bUseAckermannSteering set to 0.7"},
                                    {{"car0.ackermann", "1"}}},
                                   {{"sim_set car 0 ackermann 1"},
                                    "setUseAckermannSteering abc",
                                    {"bUseAckermannSteering set to abc"},
                                    {{"car0.ackermann", "0"}}},
                                   {{"sim_set car 0 ackermann 1"},
                                    "getUseAckermannSteering",
                                    {"bUseAckermannSteering = 1"},
                                    {}},
                                   {{},
                                    "setSpinSpeedDecayRate 3.5",
                                    {"spinspeed decay rate for all wheels set to: 3.500000"},
                                    {{"car0.wheel0.spin_speed_decay_rate", "3.5"},
                                     {"car0.wheel1.spin_speed_decay_rate", "3.5"},
                                     {"car0.wheel2.spin_speed_decay_rate", "3.5"},
                                     {"car0.wheel3.spin_speed_decay_rate", "3.5"}}},
                                   {{},
                                    "setSpinSpeed 3 100",
                                    {"spinspeed for wheel 3 set to: 100.000000"},
                                    {{"car0.wheel3.spin_speed", "100"}}},
                                   {{},
                                    "setSpinSpeed x -12.5",
                                    {"spinspeed for wheel 0 set to: -12.500000"},
                                    {{"car0.wheel0.spin_speed", "-12.5"}}},
                               });
}

TEST(DevCommandsHost, PerWheelGettersWriteOneLinePerWheel) {
    struct Getter {
        const char* command;
        const char* field;
        const char* prefix;
    };
    const std::vector<Getter> getters = {
        {"getSuspensionStiffness", "suspension_stiffness", "suspension stiffness for wheel "},
        {"getSuspensionDampingCompression", "suspension_damping_compression",
         "suspension damping compression for wheel "},
        {"getSuspensionDampingRelaxation", "suspension_damping_relaxation",
         "suspension damping relaxation for wheel "},
        {"getSuspensionTravel", "suspension_travel", "suspension travel for wheel "},
        {"getSuspensionMaxRaise", "suspension_max_raise", "suspension max raise for wheel "},
        {"getSpinSpeedDecayRate", "spin_speed_decay_rate", "spinspeed decay rate for wheel "},
        {"getSpinSpeed", "spin_speed", "spinspeed for wheel "},
        {"getSteer", "steer", "steer for wheel "},
        {"getSuspensionDistance", "suspension_distance", "suspension distance for wheel "},
    };
    for (const Getter& g : getters) {
        const std::string field = std::string(g.field);
        const Typed typed = typeBetweenStates(
            "wheel_getters", "freeplay", {"sim_set car 0 wheel2." + field + " 0.375"}, g.command);
        ASSERT_EQ(typed.before.at("car0.wheels"), "4");
        std::vector<std::string> expected;
        for (int i = 0; i < 4; ++i) {
            const std::string value =
                typed.before.at("car0.wheel" + std::to_string(i) + "." + field);
            expected.push_back(g.prefix + std::to_string(i) + ": " + printfFixed(value));
        }
        EXPECT_EQ(expected[2], std::string(g.prefix) + "2: 0.375000");
        EXPECT_EQ(typed.answer, expected) << g.command;
        EXPECT_EQ(typed.before, typed.after) << g.command;
    }

    const Typed refs =
        typeBetweenStates("wheel_refs", "freeplay",
                          {"sim_set car 0 wheel1.ref_location 1.5 -2 0.25"}, "getRefWheelLocation");
    ASSERT_EQ(refs.answer.size(), 4u);
    EXPECT_EQ(refs.answer[1], "ref wheel location wheel 1: 1.50, -2.00, 0.25");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(refs.answer[i].rfind("ref wheel location wheel " + std::to_string(i) + ": ", 0),
                  0u);
    }
}

TEST(DevCommandsHost, RangeWordsDrawTheValueTheGameGets) {
    const Typed location =
        typeBetweenStates("range_location", "freeplay", {}, "setBallRBLocation (0,100) 0 0");
    ASSERT_EQ(location.answer.size(), 1u);
    const std::string prefix = "ball RB location set to ";
    ASSERT_EQ(location.answer[0].rfind(prefix, 0), 0u);
    const float x = std::strtof(location.answer[0].c_str() + prefix.size(), nullptr);
    EXPECT_GE(x, 0.0f);
    EXPECT_LE(x, 100.0f);
    const std::string stored = location.after.at("ball.location");
    EXPECT_NEAR(std::strtof(stored.c_str(), nullptr), x, 0.005f);
    EXPECT_EQ(stored.substr(stored.find(',')), ", 0, 0");

    const Typed mass = typeBetweenStates("range_mass", "freeplay", {}, "setMass (100,200)");
    EXPECT_EQ(mass.answer, std::vector<std::string>{"RB mass set to (100,200)"});
    const float m = std::strtof(mass.after.at("car0.mass").c_str(), nullptr);
    EXPECT_GE(m, 100.0f);
    EXPECT_LE(m, 200.0f);

    const Typed spin = typeBetweenStates("range_wheel", "freeplay", {}, "setSpinSpeed (0,3) 100");
    ASSERT_EQ(spin.answer.size(), 1u);
    const std::string& line = spin.answer[0];
    ASSERT_EQ(line.size(), std::string("spinspeed for wheel 0 set to: 100.000000").size()) << line;
    const char wheel = line[std::string("spinspeed for wheel ").size()];
    ASSERT_TRUE(wheel >= '0' && wheel <= '3') << line;
    EXPECT_EQ(line, std::string("spinspeed for wheel ") + wheel + " set to: 100.000000");
    EXPECT_EQ(changes(spin.before, spin.after),
              (State{{std::string("car0.wheel") + wheel + ".spin_speed", "100"}}));
}

namespace {

// Ball commands first, then car commands.
const std::vector<std::string> kGameCommands = [] {
    std::vector<std::string> all(std::begin(kBallCommands), std::end(kBallCommands));
    all.insert(all.end(), std::begin(kCarCommands), std::end(kCarCommands));
    return all;
}();

std::string joinCommands(const std::vector<std::string>& commands) {
    std::string line;
    for (const std::string& c : commands) line += (line.empty() ? "" : "; ") + c;
    return line;
}

}  // namespace

TEST(DevCommandsHost, NothingHappensOutsideAServerGame) {
    // At the menu there is no game to change, nor a state to show.
    const wltest::HostResult menu = wltest::runHost(wltest::freshRoot("outside_menu"),
                                                    {"sim_mode menu", joinCommands(kGameCommands)});
    EXPECT_EQ(menu.exitCode, 0) << menu.err;
    EXPECT_EQ(menu.lines(), std::vector<std::string>{"Debug5 statement"});

    // Online the local car exists but no game runs as server.
    const Typed online =
        typeBetweenStates("outside_online", "online", {}, joinCommands(kGameCommands));
    EXPECT_EQ(online.exitCode, 0) << online.err;
    EXPECT_FALSE(online.before.empty());
    EXPECT_EQ(online.answer, std::vector<std::string>{});
    EXPECT_EQ(online.before, online.after);

    // The input reset needs no game.
    const Typed reset = typeBetweenStates("outside_reset", "menu", {"macroSteer 1"}, "resetInputs");
    EXPECT_EQ(reset.answer, std::vector<std::string>{"Inputs have been reset "});
}

TEST(DevCommandsHost, TooFewWordsOrNoSuchWheelDoNothing) {
    std::vector<std::string> shortened;
    for (const std::string& command : kGameCommands) {
        const std::size_t blank = command.rfind(' ');
        if (blank != std::string::npos) shortened.push_back(command.substr(0, blank));
    }
    shortened.insert(shortened.end(),
                     {"setSpinSpeed 4 100", "setSpinSpeed -1 100", "setSpinSpeed (4,9) 100"});
    const Typed typed = typeBetweenStates("too_few", "freeplay", {}, joinCommands(shortened));
    EXPECT_EQ(typed.exitCode, 0) << typed.err;
    EXPECT_FALSE(typed.before.empty());
    EXPECT_EQ(typed.answer, std::vector<std::string>{});
    EXPECT_EQ(typed.before, typed.after);
}

TEST(DevCommandsHost, FewerThanFourWheelsDoNothingPerWheel) {
    const Typed typed = typeBetweenStates(
        "three_wheels", "freeplay", {"sim_set car 0 wheels 3"},
        "getSuspensionStiffness; getSuspensionDampingCompression; getSuspensionDampingRelaxation; "
        "getSuspensionTravel; getSuspensionMaxRaise; getSpinSpeedDecayRate; getSpinSpeed; "
        "getSteer; getSuspensionDistance; getRefWheelLocation; setSpinSpeedDecayRate 2; "
        "setSpinSpeed 3 100");
    EXPECT_EQ(typed.exitCode, 0) << typed.err;
    EXPECT_EQ(typed.before.at("car0.wheels"), "3");
    EXPECT_EQ(typed.answer, std::vector<std::string>{});
    EXPECT_EQ(typed.before, typed.after);

    // A wheel the car does have can still be spun.
    const Typed spun = typeBetweenStates("three_wheels_spin", "freeplay",
                                         {"sim_set car 0 wheels 3"}, "setSpinSpeed 2 40");
    EXPECT_EQ(spun.answer, std::vector<std::string>{"spinspeed for wheel 2 set to: 40.000000"});
    EXPECT_EQ(changes(spun.before, spun.after), (State{{"car0.wheel2.spin_speed", "40"}}));
}
