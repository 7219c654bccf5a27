// Developer commands on the game car's vehicle-simulation constants and its wheels.
#include <cstdio>

#include "devtools/ArgParsers.h"
#include "devtools/DevCommands.h"
#include "text/FixedText.h"

namespace {

// Per-wheel commands expect a car with the game's four wheels.
constexpr int kWheelCount = 4;

// "%f": six decimals, the value widened to double.
std::string printfFixed(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

// Calls visit(index, wheel) for each wheel that is there, in order, when the vehicle has at
// least the game's four; false, visiting none, otherwise.
template <typename Visit>
bool visitWheels(VehicleSimWrapper& sim, Visit&& visit) {
    if (sim.IsNull()) {
        return false;
    }
    ArrayWrapper<WheelWrapper> wheels = sim.GetWheels();
    if (wheels.Count() < kWheelCount) {
        return false;
    }
    for (int i = 0; i < wheels.Count(); ++i) {
        WheelWrapper wheel = wheels.Get(i);
        if (!wheel.IsNull()) {
            visit(i, wheel);
        }
    }
    return true;
}

}  // namespace

void DevCommands::setSimValue(const std::vector<std::string>& args, SimSetter set, SimGetter get,
                              const std::string& prefix) {
    const float value = parseFloatArg(args[1]);
    VehicleSimWrapper sim = takeVehicleSim();
    if (sim.IsNull()) {
        return;
    }
    (sim.*set)(value);
    // The answer shows what the game kept, which may differ from what was asked.
    writeLine(prefix + printfFixed((sim.*get)()));
}

void DevCommands::showSimValue(SimGetter get, const std::string& prefix) {
    VehicleSimWrapper sim = takeVehicleSim();
    if (sim.IsNull()) {
        return;
    }
    writeLine(prefix + printfFixed((sim.*get)()));
}

void DevCommands::showWheelValues(WheelGetter get, const char* prefix) {
    showWheelLines(prefix, [get](WheelWrapper& wheel) { return printfFixed((wheel.*get)()); });
}

template <typename Text>
void DevCommands::showWheelLines(const char* prefix, Text&& text) {
    VehicleSimWrapper sim = takeVehicleSim();
    visitWheels(sim, [&](int index, WheelWrapper& wheel) {
        writeLine(prefix + std::to_string(index) + ": " + text(wheel));
    });
}

void DevCommands::setUseAckermannSteering(std::vector<std::string> args) {
    const bool flag = parseBoolArg(args[1]);
    VehicleSimWrapper sim = takeVehicleSim();
    if (sim.IsNull()) {
        return;
    }
    sim.SetbUseAckermannSteering(flag ? 1 : 0);
    writeLine("bUseAckermannSteering set to " + args[1]);
}

void DevCommands::getUseAckermannSteering(std::vector<std::string> /*args*/) {
    VehicleSimWrapper sim = takeVehicleSim();
    if (sim.IsNull()) {
        return;
    }
    writeLine("bUseAckermannSteering = " + std::to_string(sim.GetbUseAckermannSteering()));
}

void DevCommands::setSpinSpeedDecayRate(std::vector<std::string> args) {
    const float rate = parseFloatArg(args[1]);
    VehicleSimWrapper sim = takeVehicleSim();
    WheelWrapper first(0);
    const bool hasWheels = visitWheels(sim, [&](int index, WheelWrapper& wheel) {
        wheel.SetSpinSpeedDecayRate(rate);
        if (index == 0) {
            first = wheel;
        }
    });
    if (!hasWheels || first.IsNull()) {
        return;
    }
    writeLine("spinspeed decay rate for all wheels set to: " +
              printfFixed(first.GetSpinSpeedDecayRate()));
}

void DevCommands::setSpinSpeed(std::vector<std::string> args) {
    const float speed = parseFloatArg(args[2]);
    const int wheelIndex = parseIntArg(args[1]);
    if (wheelIndex < 0 || wheelIndex >= kWheelCount) {
        return;
    }
    VehicleSimWrapper sim = takeVehicleSim();
    if (sim.IsNull()) {
        return;
    }
    ArrayWrapper<WheelWrapper> wheels = sim.GetWheels();
    // A car with fewer wheels has no such wheel: do nothing, as for a number above 3.
    if (wheelIndex >= wheels.Count()) {
        return;
    }
    WheelWrapper wheel = wheels.Get(wheelIndex);
    if (wheel.IsNull()) {
        return;
    }
    wheel.SetSpinSpeed(speed);
    writeLine("spinspeed for wheel " + std::to_string(wheelIndex) +
              " set to: " + printfFixed(wheels.Get(wheelIndex).GetSpinSpeed()));
}

void DevCommands::getRefWheelLocation(std::vector<std::string> /*args*/) {
    showWheelLines("ref wheel location wheel ", [](WheelWrapper& wheel) {
        return vectorToString(wheel.GetRefWheelLocation(), 2);
    });
}
