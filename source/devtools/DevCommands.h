// The developer toolbox: debug console variables and commands on ball, car and wheels.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "bakkesmod/wrappers/GameWrapper.h"
#include "bakkesmod/wrappers/arraywrapper.h"
#include "bakkesmod/wrappers/cvarmanagerwrapper.h"

// Every command takes the typed words, its own name at index 0; a list shorter than the
// command's minimum does nothing. Commands that need the game do nothing (and write nothing)
// unless a game runs locally as server with the ball or game car they address.
// The host keeps callbacks bound to this object's address: it must not move after
// registerCommands.
class DevCommands {
public:
    std::shared_ptr<CVarManagerWrapper> cvarManager;
    std::shared_ptr<GameWrapper> gameWrapper;
    // Every line a command writes goes through this handle.
    std::shared_ptr<CVarManagerWrapper> logger;

    // Registers the developer variables, then the commands; writes nothing.
    void registerCommands();

    // Rigid-body state of ball and car. Each body runs only with at least its command's
    // minimum of words, which registration checks.
    void resetInputs(std::vector<std::string> args);
    // Writes words 1 to 3 into one vector of the ball's or game car's state and answers with
    // the prefix and the vector; the quaternion takes words 1 to 4, scalar first.
    void setRBVector(const std::vector<std::string>& args, bool onBall, Vector RBState::*field,
                     const char* prefix, int decimals);
    void setRBQuaternion(const std::vector<std::string>& args, bool onBall, const char* prefix);
    void resetCar(std::vector<std::string> args);
    void slideRight(std::vector<std::string> args);
    void setMass(std::vector<std::string> args);
    void setOnGround(std::vector<std::string> args);

    // Vehicle simulation and wheels of the game car; the scalar get/set pairs and the per-wheel
    // getters are rows of tables in the source.
    void setUseAckermannSteering(std::vector<std::string> args);
    void getUseAckermannSteering(std::vector<std::string> args);
    void setSpinSpeedDecayRate(std::vector<std::string> args);
    void setSpinSpeed(std::vector<std::string> args);
    void getRefWheelLocation(std::vector<std::string> args);

    using SimSetter = void (VehicleSimWrapper::*)(float);
    using SimGetter = float (VehicleSimWrapper::*)();
    using WheelGetter = float (WheelWrapper::*)();

    // Writes a vehicle-simulation value parsed from word 1 and answers with what the game kept.
    void setSimValue(const std::vector<std::string>& args, SimSetter set, SimGetter get,
                     const std::string& prefix);
    void showSimValue(SimGetter get, const std::string& prefix);
    void showWheelValues(WheelGetter get, const char* prefix);

private:
    // The server game's ball or game car; a null handle when there is none.
    BallWrapper takeBall();
    CarWrapper takeGameCar();
    // The ball or the game car as a rigid body.
    RBActorWrapper takeBody(bool ball);
    // The game event when a game runs locally as server; null otherwise.
    ServerWrapper takeServer();
    // The game car's vehicle simulation; null without a game car.
    VehicleSimWrapper takeVehicleSim();
    void writeLine(std::string line);

    // One line per wheel of a four-wheeled game car: prefix, the wheel's index, ": ", text(wheel).
    template <typename Text>
    void showWheelLines(const char* prefix, Text&& text);
};
