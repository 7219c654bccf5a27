// Registration of the developer variables and commands, and the game access they share.
#include "devtools/DevCommands.h"

#include <utility>

#include "core/CallbackGuard.h"

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

}  // namespace

template <DevCommands::Body body>
void DevCommands::addCommand(const char* name) {
    cvarManager->registerNotifier(
        name,
        [this](std::vector<std::string> args) {
            // A failing host call must not unwind into the host's console loop; only a
            // std::exception has a text worth a line.
            guardCallback([&] { (this->*body)(std::move(args)); },
                          [this](const char* what) {
                              if (what) writeLine(std::string("Developer command failed: ") + what);
                          });
        },
        "", 0);
}

void DevCommands::registerCommands() {
    for (const DevVariable& v : kDevVariables) {
        cvarManager->registerCvar(v.name, v.defaultValue, "", true, false, 0, false, 0, true);
    }

    addCommand<&DevCommands::resetInputs>("resetInputs");
    addCommand<&DevCommands::setBallRBLocation>("setBallRBLocation");
    addCommand<&DevCommands::setBallRBLinearVelocity>("setBallRBLinearVelocity");
    addCommand<&DevCommands::setBallRBAngularVelocity>("setBallRBAngularVelocity");
    addCommand<&DevCommands::setBallRBQuaternion>("setBallRBQuaternion");
    addCommand<&DevCommands::setCarRBLocation>("setCarRBLocation");
    addCommand<&DevCommands::setCarRBLinearVelocity>("setCarRBLinearVelocity");
    addCommand<&DevCommands::setCarRBAngularVelocity>("setCarRBAngularVelocity");
    addCommand<&DevCommands::setCarRBQuaternion>("setCarRBQuaternion");
    addCommand<&DevCommands::resetCar>("resetCar");
    addCommand<&DevCommands::slideRight>("slideRight");
    addCommand<&DevCommands::setMass>("setMass");
    addCommand<&DevCommands::setOnGround>("setOnGround");
    addCommand<&DevCommands::setUseAckermannSteering>("setUseAckermannSteering");
    addCommand<&DevCommands::getUseAckermannSteering>("getUseAckermannSteering");
    addCommand<&DevCommands::setDriveTorque>("setDriveTorque");
    addCommand<&DevCommands::getDriveTorque>("getDriveTorque");
    addCommand<&DevCommands::setBrakeTorque>("setBrakeTorque");
    addCommand<&DevCommands::getBrakeTorque>("getBrakeTorque");
    addCommand<&DevCommands::setStopThreshold>("setStopThreshold");
    addCommand<&DevCommands::getStopThreshold>("getStopThreshold");
    addCommand<&DevCommands::setIdleBrakeFactor>("setIdleBrakeFactor");
    addCommand<&DevCommands::getIdleBrakeFactor>("getIdleBrakeFactor");
    addCommand<&DevCommands::setOppositeBrakeFactor>("setOppositeBrakeFactor");
    addCommand<&DevCommands::getOppositeBrakeFactor>("getOppositeBrakeFactor");
    addCommand<&DevCommands::getSuspensionStiffness>("getSuspensionStiffness");
    addCommand<&DevCommands::getSuspensionDampingCompression>("getSuspensionDampingCompression");
    addCommand<&DevCommands::getSuspensionDampingRelaxation>("getSuspensionDampingRelaxation");
    addCommand<&DevCommands::getSuspensionTravel>("getSuspensionTravel");
    addCommand<&DevCommands::getSuspensionMaxRaise>("getSuspensionMaxRaise");
    addCommand<&DevCommands::setSpinSpeedDecayRate>("setSpinSpeedDecayRate");
    addCommand<&DevCommands::getSpinSpeedDecayRate>("getSpinSpeedDecayRate");
    addCommand<&DevCommands::setSpinSpeed>("setSpinSpeed");
    addCommand<&DevCommands::getSpinSpeed>("getSpinSpeed");
    addCommand<&DevCommands::getSteer>("getSteer");
    addCommand<&DevCommands::getSuspensionDistance>("getSuspensionDistance");
    addCommand<&DevCommands::getRefWheelLocation>("getRefWheelLocation");
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
