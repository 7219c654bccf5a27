// The lab's flights flown one wingleaf-host process per flight.
#include "HostFlights.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "wltest/HostRunner.h"

namespace flightlab::hostpath {

namespace fs = std::filesystem;

namespace {

bool parseTriple(const std::string& text, double& a, double& b, double& c) {
    return std::sscanf(text.c_str(), "%lf, %lf, %lf", &a, &b, &c) == 3;
}

bool parseQuad(const std::string& text, double& a, double& b, double& c, double& d) {
    return std::sscanf(text.c_str(), "%lf, %lf, %lf, %lf", &a, &b, &c, &d) == 4;
}

}  // namespace

std::string flightScript(const Launch& launch, const Setup& setup, int drawAtTick,
                         const std::string& drawFile) {
    std::ostringstream s;
    for (const auto& line : setupLines(launch, setup)) s << line << '\n';
    for (Slider slider : kSliders) s << sliderName(slider) << '\n';
    const int boostTicks = ticksFor(launch.boostSeconds);
    const int lastTick = ticksFor(launch.timeLimitS);
    s << "sim_state car 0\n";
    for (int tick = 1; tick <= lastTick; ++tick) {
        if (tick - 1 == boostTicks && boostTicks > 0) s << "sim_input boost 0\n";
        s << "sim_tick 1\n";
        if (tick == drawAtTick) {
            s << "sim_draw \"" << drawFile << "\"\n";
            break;
        }
        s << "sim_state car 0\n";
    }
    return s.str();
}

std::vector<Sample> parseSamples(const std::string& hostOutput) {
    std::vector<Sample> samples;
    std::istringstream in(hostOutput);
    std::string line;
    Sample current;
    bool open = false;
    while (std::getline(in, line)) {
        if (line.rfind("car0.", 0) != 0) continue;
        const auto eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        const std::string field = line.substr(5, eq - 5);
        const std::string value = line.substr(eq + 3);
        // Each state read starts with the location.
        if (field == "location") {
            if (open) samples.push_back(current);
            current = Sample{};
            current.tick = static_cast<int>(samples.size());
            open = parseTriple(value, current.x, current.y, current.z);
        } else if (field == "velocity" && open) {
            parseTriple(value, current.vx, current.vy, current.vz);
        } else if (field == "quaternion" && open) {
            parseQuad(value, current.qw, current.qx, current.qy, current.qz);
        } else if (field == "angular_velocity" && open) {
            parseTriple(value, current.wx, current.wy, current.wz);
        } else if (field == "on_ground" && open) {
            current.onGround = value == "1";
        }
    }
    if (open) samples.push_back(current);
    return samples;
}

SliderValues parseSliders(const std::string& hostOutput) {
    SliderValues values;
    std::istringstream in(hostOutput);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find(" = ");
        if (eq == std::string::npos) continue;
        if (const auto slider = sliderNamed(line.substr(0, eq))) values[*slider] = std::strtof(line.c_str() + eq + 3, nullptr);
    }
    return values;
}

Flight flyInHost(const Launch& launch, const Setup& setup, const fs::path& root, const fs::path& presetDir) {
    fs::remove_all(root);
    fs::create_directories(root / "bakkesmod" / "wingleaf");
    if (!setup.preset.empty() && !isBasePreset(setup.preset))
        fs::copy_file(presetDir / (setup.preset + ".txt"), root / "bakkesmod/wingleaf" / (setup.preset + ".txt"));
    const fs::path script = fs::absolute(root.string() + ".script");
    wltest::writeFile(script, flightScript(launch, setup));
    const auto result = wltest::runHost(fs::absolute(root), {}, {script.string()});
    if (result.exitCode != 0)
        throw std::runtime_error("wingleaf-host failed on " + setup.label + " (exit " +
                                 std::to_string(result.exitCode) + "): " + result.err);
    Flight flight;
    flight.setup = setup;
    flight.samples = parseSamples(result.out);
    flight.sliders = parseSliders(result.out);
    if (flight.samples.empty())
        throw std::runtime_error("wingleaf-host printed no car state for " + setup.label);
    summarise(flight, launch);
    return flight;
}

}  // namespace flightlab::hostpath
