// What a flight starts from and what it is made of: the launch, and the car's state at each tick.
#pragma once

namespace flightlab {

// The game's tick, s.
constexpr double kTickS = 1.0 / 120.0;

// Controller input the player holds through the whole flight, each from -1 to 1 as a
// controller gives it.
struct HeldInput {
    double pitch = 0, yaw = 0, roll = 0, throttle = 0;
    bool any() const { return pitch != 0 || yaw != 0 || roll != 0 || throttle != 0; }
};

// The launch every compared preset flies: a car leaving a ramp.
struct Launch {
    double speedUu = 2000;    // uu/s along the nose at release
    double pitchDeg = 25;     // nose-up pitch at release
    double heightUu = 300;    // height of the car's centre at release
    double boostSeconds = 1;  // boost held from release for this long
    double timeLimitS = 10;   // flights still airborne then are cut off
    double headingDeg = 0;    // direction of the launch, from world +X towards +Y
    HeldInput input;          // held from release to touchdown
};

// The car's state after one tick: position, velocity, orientation (a unit quaternion) and
// angular velocity (rad/s, world axes). The engine builds one a tick from its fields in this
// order.
struct Sample {
    int tick = 0;
    double x = 0, y = 0, z = 0;
    double vx = 0, vy = 0, vz = 0;
    double qw = 1, qx = 0, qy = 0, qz = 0;
    double wx = 0, wy = 0, wz = 0;
    bool onGround = false;
};

}  // namespace flightlab
