// The simulated game's objects that wrapper handles point at: actors, cars and their parts, balls.
//
// A wrapper's memory_address is the address of one of these objects (of the Actor base for
// actors). Objects are not given back to the allocator while their Game lives: a removed object
// is marked dead, so a handle a plug-in kept too long reads zeros instead of freed memory, and
// its memory serves a later object of the same kind only after many more removals (ObjectPool).
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "PhysicsConstants.h"
#include "bakkesmod/wrappers/wrapperstructs.h"

namespace host {

class Game;

enum class ActorKind : std::uint8_t { Car, Ball, GameEvent, Component };

struct Actor {
    Actor(ActorKind k, Game* g) : kind(k), game(g) {}
    ActorKind kind;
    bool alive = true;
    Game* game;
    // Pose and motion; the quaternion maps car-local vectors into the world (PhysicsConstants.h).
    RBState rb{};
};

// Location and velocity in the physics engine's length unit (kEngineLengthUnitUu).
struct EngineMotion {
    Vector location, velocity;
};

struct RBActor : Actor {
    using Actor::Actor;
    float mass = 0.0f;
    float maxLinearSpeed = 0.0f;
    float maxLinearSpeed2 = 0.0f;
    float maxAngularSpeed = 0.0f;
    // The motion as the last physics step left it; the next step carries on from it while rb
    // still shows it, and starts from rb when anything else has set the state since.
    EngineMotion engine{};
};

// The inputs a car acts on during one tick.
struct ControllerInput {
    float throttle = 0.0f, steer = 0.0f, pitch = 0.0f, yaw = 0.0f, roll = 0.0f;  // -1 .. 1
    bool boost = false, jump = false, handbrake = false;
};

struct Car;

enum class ComponentKind : std::uint8_t { Boost, AirControl };

// A car part that is an actor of its own (boost, air control). A removed component is dead.
struct CarComponent : Actor {
    CarComponent(Car* owner, Game* g, ComponentKind k)
        : Actor(ActorKind::Component, g), car(owner), componentKind(k) {}
    Car* car;
    ComponentKind componentKind;
};

struct BoostComponent : CarComponent {
    BoostComponent(Car* owner, Game* g) : CarComponent(owner, g, ComponentKind::Boost) {}
    float boostForce = 0.0f;  // mass * uu/s^2
};

struct AirControlComponent : CarComponent {
    AirControlComponent(Car* owner, Game* g) : CarComponent(owner, g, ComponentKind::AirControl) {}
    Rotator airTorque{0, 0, 0};   // Pitch, Yaw, Roll coefficients
    Rotator airDamping{0, 0, 0};  // Pitch, Yaw, Roll coefficients
    float throttleForce = 0.0f;   // mass * uu/s^2
};

struct VehicleSim;

// A new wheel and a new vehicle simulation hold the Octane's stock values; a wheel's mount
// point and radius depend on its place on the car (Car::resetToStock sets them).
struct Wheel {
    VehicleSim* sim = nullptr;
    int index = 0;
    float suspensionStiffness = phys::kSuspensionStiffness;
    float suspensionDampingCompression = phys::kSuspensionDampingCompression;
    float suspensionDampingRelaxation = phys::kSuspensionDampingRelaxation;
    float suspensionTravel = phys::kSuspensionTravelUu;          // uu
    float suspensionMaxRaise = phys::kSuspensionMaxRaiseUu;      // uu
    float spinSpeedDecayRate = phys::kSpinSpeedDecayRate;        // 1/s
    float spinSpeed = 0.0f;                                      // rad/s, positive rolling forward
    float steer = 0.0f;                                          // rad, positive to the right
    float suspensionDistance = phys::kSuspensionRestDistanceUu;  // uu
    Vector refLocation;                                          // mount point, car-local uu
    float radius = 0.0f;                                         // uu
};

// Drive constants and the wheels. Lives inside its Car; alive exactly as long as the car.
struct VehicleSim {
    Car* car = nullptr;
    float driveTorque = phys::kDriveTorque;
    float brakeTorque = phys::kBrakeTorque;
    float stopThreshold = phys::kStopThresholdUuS;  // uu/s
    float idleBrakeFactor = phys::kIdleBrakeFactor;
    float oppositeBrakeFactor = phys::kOppositeBrakeFactor;
    unsigned long useAckermannSteering = 0;
    // 0 .. kMaxWheels; wheels past the count are not part of the car.
    int wheelCount = phys::kDefaultWheelCount;
    std::array<Wheel, phys::kMaxWheels> wheels{};
};

struct Car : RBActor {
    explicit Car(Game* g);
    Car(const Car&) = delete;
    Car& operator=(const Car&) = delete;

    // Puts the stock Octane values back and the car at rest at `location`, identity orientation.
    void resetToStock(Vector location);
    // Sets the wheel count (0 .. kMaxWheels); added wheels get stock values.
    void setWheelCount(int count);

    int index = 0;  // position in the game's car list
    unsigned long onGround = 0;
    Vector extent;  // half-extents along forward, right, up, uu
    StickyForceData sticky{0.0f, 0.0f};
    BoostComponent boost;
    AirControlComponent airControl;
    VehicleSim sim;
    ControllerInput input;
    bool jumpHeld = false;  // jump input of the previous tick, to start a jump on a new press
};

// What a ball's physics step reads: its pose and motion, the engine's copy of its motion, its
// limits and the step's length. All floats, so two of them compare bit for bit.
struct BallStepInputs {
    Quat quaternion;
    Vector location, linearVelocity, angularVelocity;
    EngineMotion engine;
    float maxLinearSpeed, maxAngularSpeed, dt;
};
static_assert(sizeof(BallStepInputs) == 22 * sizeof(float), "compared bit for bit: no padding");

struct Ball : RBActor {
    explicit Ball(Game* g);
    void resetAt(Vector location);
    // Set when the last step left the ball exactly as it found it (`rest` holds that state):
    // while nothing changes it, further steps would not either and are skipped.
    bool atRest = false;
    BallStepInputs rest{};
};

// A running game: its cars and balls. isServer is false for an online game seen by a client.
struct GameEvent : Actor {
    explicit GameEvent(Game* g) : Actor(ActorKind::GameEvent, g) {}
    bool isServer = true;
    float gameSpeed = 1.0f;
    std::vector<Car*> cars;
    std::vector<Ball*> balls;
};

// The object a handle address points at, or null when the address is 0, the object is of
// another kind, or it has been removed from the game.
inline Actor* actorAt(std::uintptr_t address) {
    Actor* a = reinterpret_cast<Actor*>(address);
    return a != nullptr && a->alive ? a : nullptr;
}
inline RBActor* rbActorAt(std::uintptr_t address) {
    Actor* a = actorAt(address);
    return a != nullptr && (a->kind == ActorKind::Car || a->kind == ActorKind::Ball)
               ? static_cast<RBActor*>(a)
               : nullptr;
}
inline Car* carAt(std::uintptr_t address) {
    Actor* a = actorAt(address);
    return a != nullptr && a->kind == ActorKind::Car ? static_cast<Car*>(a) : nullptr;
}
inline GameEvent* gameEventAt(std::uintptr_t address) {
    Actor* a = actorAt(address);
    return a != nullptr && a->kind == ActorKind::GameEvent ? static_cast<GameEvent*>(a) : nullptr;
}
// A component counts as removed when either it or its car is.
inline CarComponent* componentAt(std::uintptr_t address) {
    Actor* a = actorAt(address);
    if (a == nullptr || a->kind != ActorKind::Component) return nullptr;
    auto* c = static_cast<CarComponent*>(a);
    return c->car->alive ? c : nullptr;
}
inline BoostComponent* boostAt(std::uintptr_t address) {
    CarComponent* c = componentAt(address);
    return c != nullptr && c->componentKind == ComponentKind::Boost ? static_cast<BoostComponent*>(c)
                                                                   : nullptr;
}
inline AirControlComponent* airControlAt(std::uintptr_t address) {
    CarComponent* c = componentAt(address);
    return c != nullptr && c->componentKind == ComponentKind::AirControl
               ? static_cast<AirControlComponent*>(c)
               : nullptr;
}
inline VehicleSim* vehicleSimAt(std::uintptr_t address) {
    auto* s = reinterpret_cast<VehicleSim*>(address);
    return s != nullptr && s->car->alive ? s : nullptr;
}
inline Wheel* wheelAt(std::uintptr_t address) {
    auto* w = reinterpret_cast<Wheel*>(address);
    return w != nullptr && w->sim->car->alive && w->index < w->sim->wheelCount ? w : nullptr;
}

// Handles of actors always carry the address of the Actor base.
inline std::uintptr_t actorAddress(Actor* actor) { return reinterpret_cast<std::uintptr_t>(actor); }

}  // namespace host
