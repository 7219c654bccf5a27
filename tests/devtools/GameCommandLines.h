// The developer commands that need a game, each typed with exactly its minimum of words.
#pragma once

inline constexpr const char* kBallCommands[] = {
    "setBallRBLocation 1 2 3", "setBallRBLinearVelocity 1 2 3", "setBallRBAngularVelocity 1 2 3",
    "setBallRBQuaternion 0 1 0 0"};

inline constexpr const char* kCarCommands[] = {"setCarRBLocation 1 2 3",
                                               "setCarRBLinearVelocity 1 2 3",
                                               "setCarRBAngularVelocity 1 2 3",
                                               "setCarRBQuaternion 0 1 0 0",
                                               "resetCar",
                                               "slideRight 100",
                                               "setMass 50",
                                               "setOnGround 0",
                                               "setUseAckermannSteering 1",
                                               "getUseAckermannSteering",
                                               "setDriveTorque 1",
                                               "getDriveTorque",
                                               "setBrakeTorque 1",
                                               "getBrakeTorque",
                                               "setStopThreshold 1",
                                               "getStopThreshold",
                                               "setIdleBrakeFactor 1",
                                               "getIdleBrakeFactor",
                                               "setOppositeBrakeFactor 1",
                                               "getOppositeBrakeFactor",
                                               "getSuspensionStiffness",
                                               "getSuspensionDampingCompression",
                                               "getSuspensionDampingRelaxation",
                                               "getSuspensionTravel",
                                               "getSuspensionMaxRaise",
                                               "setSpinSpeedDecayRate 1",
                                               "getSpinSpeedDecayRate",
                                               "setSpinSpeed 1 1",
                                               "getSpinSpeed",
                                               "getSteer",
                                               "getSuspensionDistance",
                                               "getRefWheelLocation"};
