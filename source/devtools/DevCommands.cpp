// Registration of the developer variables and commands, and the game access they share.
#include "devtools/DevCommands.h"

#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "guard/CallbackGuard.h"
#include "hud/HudSwitches.h"

namespace {

struct DevVariable {
    const char* name;
    const char* defaultValue;
};

// Registration order is the order users see them listed in the console.
constexpr DevVariable kDevVariables[] = {
    {"recordCarInfo", "0"},
    {"recordBallInfo", "0"},
    {"recordEveryTick", "0"},
    {devswitch::kShowHud, "1"},
    {"showCarRBState", "1"},
    {"showBallRBState", "1"},
    {devswitch::kShowCarPanel, "1"},
    {"showInput", "1"},
    {devswitch::kShowYawGauge, "1"},
    {devswitch::kShowSliderPanel, "1"},
    {"overrideInput", "0"},
    {"macroThrottle", "0.0"},
    {"macroSteer", "0.0"},
    {"macroHandbrake", "0"},
    {"turnRightAt1000", "0"},
};

using Args = std::vector<std::string>;

// A command: its name, the fewest words it acts on (its own name included) and its body.
struct CommandRow {
    std::string name;
    std::size_t minWords;
    std::function<void(DevCommands&, Args)> body;
};

// A vector of the rigid-body state with its command "set<Ball|Car>RB<name>".
struct RBVectorRow {
    const char* name;
    Vector RBState::*field;
    const char* answer;  // after "ball RB " or "car RB ", before the vector
    int decimals;
};

const RBVectorRow kRBVectors[] = {
    {"Location", &RBState::Location, "location set to ", 2},
    {"LinearVelocity", &RBState::LinearVelocity, "linear velocity set to ", 2},
    {"AngularVelocity", &RBState::AngularVelocity, "angular velocity set to ", 4},
};

// A vehicle-simulation value with its command pair "set<name>" and "get<name>".
struct SimValueRow {
    const char* name;
    DevCommands::SimGetter get;
    DevCommands::SimSetter set;
    // The answers: this text, then " set to: " or ": ", then the value the game holds.
    const char* answer;
};

// Not constexpr: the wrapper is imported from the host's DLL, and under MSVC the address of an
// imported function is resolved at load time, not a constant expression.
const SimValueRow kSimValues[] = {
    {"DriveTorque", &VehicleSimWrapper::GetDriveTorque, &VehicleSimWrapper::SetDriveTorque,
     "drive torque"},
    {"BrakeTorque", &VehicleSimWrapper::GetBrakeTorque, &VehicleSimWrapper::SetBrakeTorque,
     "brake torque"},
    {"StopThreshold", &VehicleSimWrapper::GetStopThreshold, &VehicleSimWrapper::SetStopThreshold,
     "stop threshold"},
    {"IdleBrakeFactor", &VehicleSimWrapper::GetIdleBrakeFactor,
     &VehicleSimWrapper::SetIdleBrakeFactor, "idle brake factor"},
    {"OppositeBrakeFactor", &VehicleSimWrapper::GetOppositeBrakeFactor,
     &VehicleSimWrapper::SetOppositeBrakeFactor, "opposite brake factor"},
};

// A per-wheel getter: one line per wheel, the prefix, the wheel's number, ": " and the value.
CommandRow wheelRow(const char* name, DevCommands::WheelGetter get, const char* prefix) {
    return {name, 1, [get, prefix](DevCommands& d, Args) { d.showWheelValues(get, prefix); }};
}

// Every command in registration order.
std::vector<CommandRow> commandRows() {
    using D = DevCommands;
    using W = WheelWrapper;
    std::vector<CommandRow> rows = {
        {"resetInputs", 1, &D::resetInputs},
        {"resetCar", 1, &D::resetCar},
        {"slideRight", 2, &D::slideRight},
        {"setMass", 2, &D::setMass},
        {"setOnGround", 2, &D::setOnGround},
        {"setUseAckermannSteering", 2, &D::setUseAckermannSteering},
        {"getUseAckermannSteering", 1, &D::getUseAckermannSteering},
    };
    // The state setters of ball and car go in after resetInputs, ball first, quaternion last.
    std::vector<CommandRow> state;
    for (const bool onBall : {true, false}) {
        const char* body = onBall ? "Ball" : "Car";
        const std::string answer = onBall ? "ball RB " : "car RB ";
        for (const RBVectorRow& v : kRBVectors) {
            state.push_back({std::string("set") + body + "RB" + v.name, 4,
                             [onBall, v, prefix = answer + v.answer](D& d, Args args) {
                                 d.setRBVector(args, onBall, v.field, prefix.c_str(), v.decimals);
                             }});
        }
        state.push_back({std::string("set") + body + "RBQuaternion", 5,
                         [onBall, prefix = answer + "quaternion set to "](D& d, Args args) {
                             d.setRBQuaternion(args, onBall, prefix.c_str());
                         }});
    }
    rows.insert(rows.begin() + 1, state.begin(), state.end());
    for (const SimValueRow& v : kSimValues) {
        const std::string answer = v.answer;
        rows.push_back({std::string("set") + v.name, 2, [v, answer](D& d, Args args) {
                            d.setSimValue(args, v.set, v.get, answer + " set to: ");
                        }});
        rows.push_back({std::string("get") + v.name, 1,
                        [v, answer](D& d, Args) { d.showSimValue(v.get, answer + ": "); }});
    }
    const CommandRow wheels[] = {
        wheelRow("getSuspensionStiffness", &W::GetSuspensionStiffness,
                 "suspension stiffness for wheel "),
        wheelRow("getSuspensionDampingCompression", &W::GetSuspensionDampingCompression,
                 "suspension damping compression for wheel "),
        wheelRow("getSuspensionDampingRelaxation", &W::GetSuspensionDampingRelaxation,
                 "suspension damping relaxation for wheel "),
        wheelRow("getSuspensionTravel", &W::GetSuspensionTravel, "suspension travel for wheel "),
        wheelRow("getSuspensionMaxRaise", &W::GetSuspensionMaxRaise,
                 "suspension max raise for wheel "),
        {"setSpinSpeedDecayRate", 2, &D::setSpinSpeedDecayRate},
        wheelRow("getSpinSpeedDecayRate", &W::GetSpinSpeedDecayRate,
                 "spinspeed decay rate for wheel "),
        {"setSpinSpeed", 3, &D::setSpinSpeed},
        wheelRow("getSpinSpeed", &W::GetSpinSpeed, "spinspeed for wheel "),
        wheelRow("getSteer", &W::GetSteer2, "steer for wheel "),
        wheelRow("getSuspensionDistance", &W::GetSuspensionDistance,
                 "suspension distance for wheel "),
        {"getRefWheelLocation", 1, &D::getRefWheelLocation},
    };
    rows.insert(rows.end(), std::begin(wheels), std::end(wheels));
    return rows;
}

}  // namespace

void DevCommands::registerCommands() {
    for (const DevVariable& v : kDevVariables) {
        cvarManager->registerCvar(v.name, v.defaultValue, "", true, false, 0, false, 0, true);
    }
    for (CommandRow& row : commandRows()) {
        cvarManager->registerNotifier(
            row.name,
            [this, minWords = row.minWords, body = std::move(row.body)](Args args) {
                // Too few words: nothing at all, not even a line.
                if (args.size() < minWords) {
                    return;
                }
                // A failing host call must not unwind into the host's console loop; only a
                // std::exception has a text worth a line.
                guardCallback([&] { body(*this, std::move(args)); },
                              [this](const char* what) {
                                  if (what) {
                                      writeLine(std::string("Developer command failed: ") + what);
                                  }
                              });
            },
            "", 0);
    }
}

BallWrapper DevCommands::takeBall() {
    ServerWrapper server = takeServer();
    return server.IsNull() ? BallWrapper(0) : server.GetBall();
}

CarWrapper DevCommands::takeGameCar() {
    ServerWrapper server = takeServer();
    return server.IsNull() ? CarWrapper(0) : server.GetGameCar();
}

ServerWrapper DevCommands::takeServer() {
    return gameWrapper ? gameWrapper->GetGameEventAsServer() : ServerWrapper(0);
}

VehicleSimWrapper DevCommands::takeVehicleSim() {
    CarWrapper car = takeGameCar();
    if (car.IsNull()) {
        return VehicleSimWrapper(0);
    }
    return car.GetVehicleSim();
}

void DevCommands::writeLine(std::string line) {
    if (logger) {
        logger->log(std::move(line));
    }
}
