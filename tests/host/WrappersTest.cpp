// Tests of the game-object wrappers: reads and writes, null handles, refused non-finite values.
#include "GameFixture.h"

#include <cmath>
#include <limits>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class Wrappers : public GameFixture {
protected:
    void SetUp() override { game.setMode(host::Mode::Freeplay); }
    CarWrapper car() { return gwA.GetLocalCar(); }
};

TEST_F(Wrappers, VelocityAndAngularVelocityWritesAddOrReplace) {
    CarWrapper c = car();
    c.SetVelocity(Vector(1, 2, 3));
    c.AddVelocity(Vector(10, 20, 30));
    EXPECT_EQ(c.GetVelocity().Y, 22.0f);
    c.SetAngularVelocity(Vector(1, 0, 0), false);
    c.SetAngularVelocity(Vector(0.5f, 0, 2), true);
    EXPECT_EQ(c.GetAngularVelocity().X, 1.5f);
    EXPECT_EQ(c.GetAngularVelocity().Z, 2.0f);
    c.SetAngularVelocity(Vector(0, 1, 0), false);
    EXPECT_EQ(c.GetAngularVelocity().X, 0.0f);
    c.Stop();
    EXPECT_EQ(c.GetVelocity().Y, 0.0f);
    EXPECT_EQ(c.GetAngularVelocity().Y, 0.0f);

    // The rigid-body record goes in and out whole, a quaternion unnormalised as given.
    RBState s = c.GetRBState();
    s.Quaternion = Quat(0, 0, 0, 1);
    s.Location = Vector(5, 6, 7);
    c.SetPhysicsState(s);
    EXPECT_EQ(c.GetRBState().Quaternion.Z, 1.0f);
    EXPECT_EQ(c.GetLocation().Y, 6.0f);
    c.SetRotation(Rotator(0, 16384, 0));
    EXPECT_NEAR(c.GetRotation().Yaw, 16384, 2);
}

TEST_F(Wrappers, CarComponentsAndStockValues) {
    CarWrapper c = car();
    EXPECT_EQ(c.GetMass(), 180.0f);
    EXPECT_EQ(c.GetMaxLinearSpeed(), 2300.0f);
    EXPECT_EQ(c.GetMaxLinearSpeed2(), 2300.0f);
    EXPECT_EQ(c.GetMaxAngularSpeed(), 5.5f);
    EXPECT_TRUE(c.IsOnGround());
    EXPECT_EQ(c.GetLocalCollisionExtent().X, 60.2535f);
    EXPECT_EQ(c.GetStickyForce().Wall, 1.5f);
    BoostWrapper boost = c.GetBoostComponent();
    AirControlComponentWrapper air = c.GetAirControlComponent();
    EXPECT_EQ(boost.GetBoostForce(), 178500.0f);
    EXPECT_EQ(air.GetThrottleForce(), 12000.0f);
    EXPECT_EQ(air.GetAirTorque().Roll, 400);
    EXPECT_EQ(air.GetAirDamping().Pitch, 30);

    air.SetAirTorque(Rotator(0, 0, 0));
    boost.SetBoostForce(357000.0f);
    c.SetStickyForce(StickyForceData{0, 0});
    c.SetbOnGround(0);
    EXPECT_EQ(air.GetAirTorque().Yaw, 0);
    EXPECT_EQ(boost.GetBoostForce(), 357000.0f);
    EXPECT_FALSE(c.IsOnGround());

    // Mixing up handle types reads nothing instead of another object's memory.
    EXPECT_EQ(BoostWrapper(air.memory_address).GetBoostForce(), 0.0f);
    EXPECT_EQ(CarWrapper(boost.memory_address).GetMass(), 0.0f);
    EXPECT_EQ(CarWrapper(gwA.GetCurrentGameState().GetBall().memory_address).GetMaxLinearSpeed2(),
              6000.0f);  // a ball is a rigid-body actor too...
    EXPECT_FALSE(CarWrapper(gwA.GetCurrentGameState().GetBall().memory_address).IsOnGround());
}

TEST_F(Wrappers, VehicleSimAndWheels) {
    VehicleSimWrapper sim = car().GetVehicleSim();
    ASSERT_FALSE(sim.IsNull());
    EXPECT_EQ(sim.GetDriveTorque(), 72000.0f);
    EXPECT_EQ(sim.GetBrakeTorque(), 2625.0f);
    EXPECT_EQ(sim.GetStopThreshold(), 25.0f);
    EXPECT_EQ(sim.GetIdleBrakeFactor(), 0.15f);
    EXPECT_EQ(sim.GetOppositeBrakeFactor(), 1.0f);
    EXPECT_EQ(sim.GetbUseAckermannSteering(), 0u);
    sim.SetDriveTorque(1000.0f);
    sim.SetbUseAckermannSteering(1);
    EXPECT_EQ(sim.GetDriveTorque(), 1000.0f);
    EXPECT_EQ(sim.GetbUseAckermannSteering(), 1u);

    ArrayWrapper<WheelWrapper> wheels = sim.GetWheels();
    ASSERT_EQ(wheels.Count(), 4);
    std::vector<float> sides;
    for (WheelWrapper w : wheels) sides.push_back(w.GetRefWheelLocation().Y);
    EXPECT_EQ(sides, (std::vector<float>{-25.9f, 25.9f, -29.5f, 29.5f}));
    EXPECT_TRUE(wheels.Get(4).IsNull());
    EXPECT_TRUE(wheels.Get(-1).IsNull());
    WheelWrapper w3 = wheels.Get(3);
    w3.SetSpinSpeed(100.0f);
    w3.SetSuspensionTravel(8.0f);
    EXPECT_EQ(w3.GetSpinSpeed(), 100.0f);
    EXPECT_EQ(w3.GetSuspensionTravel(), 8.0f);
    EXPECT_EQ(w3.GetSuspensionStiffness(), 500.0f);
    EXPECT_EQ(w3.GetSuspensionDistance(), 6.0f);
    EXPECT_EQ(w3.GetSteer2(), 0.0f);
}

TEST_F(Wrappers, NullHandlesDoNothingAndReadZeros) {
    CarWrapper c(0);
    c.SetVelocity(Vector(1, 1, 1));
    c.AddVelocity(Vector(1, 1, 1));
    c.SetAngularVelocity(Vector(1, 1, 1), true);
    c.SetMaxLinearSpeed(1);
    c.SetStickyForce(StickyForceData{1, 1});
    c.Stop();
    RBState s{};
    c.SetPhysicsState(s);
    EXPECT_TRUE(c.IsNull());
    EXPECT_FALSE(static_cast<bool>(c));
    EXPECT_EQ(c.GetLocation().X, 0.0f);
    EXPECT_EQ(c.GetRBState().Quaternion.W, 1.0f);  // RBState{} holds the identity
    EXPECT_FALSE(c.IsOnGround());
    EXPECT_TRUE(c.GetBoostComponent().IsNull());
    EXPECT_TRUE(c.GetAirControlComponent().IsNull());
    EXPECT_TRUE(c.GetVehicleSim().IsNull());
    EXPECT_EQ(c.GetVehicleSim().GetWheels().Count(), 0);
    BoostWrapper(0).SetBoostForce(1);
    AirControlComponentWrapper(0).SetAirTorque(Rotator(1, 1, 1));
    EXPECT_EQ(AirControlComponentWrapper(0).GetThrottleForce(), 0.0f);
    EXPECT_EQ(WheelWrapper(0).GetSpinSpeed(), 0.0f);
    EXPECT_TRUE(ServerWrapper(0).GetBall().IsNull());
    EXPECT_EQ(ServerWrapper(0).GetCars().Count(), 0);
    EXPECT_TRUE(ServerWrapper(0).GetGameCar().IsNull());

    GameWrapper noGame(0, 1, typeid(int));
    EXPECT_FALSE(noGame.IsInGame());
    EXPECT_TRUE(noGame.GetLocalCar().IsNull());
    noGame.HookEvent("E", [](std::string) {});
    EXPECT_EQ(game.hookCount("E"), 0);
    EXPECT_TRUE(errors.empty());
}

TEST_F(Wrappers, NonFiniteWritesAreRefusedAndReported) {
    CarWrapper c = car();
    c.SetVelocity(Vector(100, 0, 0));
    c.GetAirControlComponent().SetThrottleForce(5000.0f);
    struct Case {
        const char* message;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"SetLocation", [&] { c.SetLocation(Vector(kNaN, 0, 0)); }},
        {"SetVelocity", [&] { c.SetVelocity(Vector(0, kInf, 0)); }},
        {"AddVelocity", [&] { c.AddVelocity(Vector(0, 0, -kInf)); }},
        {"AddVelocity", [&] { c.AddVelocity(Vector(3e38f, 0, 0)); c.AddVelocity(Vector(3e38f, 0, 0)); }},
        {"SetAngularVelocity", [&] { c.SetAngularVelocity(Vector(kNaN, 0, 0), true); }},
        {"SetPhysicsState",
         [&] {
             RBState s = c.GetRBState();
             s.Quaternion.W = kNaN;
             c.SetPhysicsState(s);
         }},
        {"SetMass", [&] { c.SetMass(kNaN); }},
        {"SetMaxLinearSpeed", [&] { c.SetMaxLinearSpeed(kInf); }},
        {"SetMaxLinearSpeed2", [&] { c.SetMaxLinearSpeed2(kNaN); }},
        {"SetStickyForce", [&] { c.SetStickyForce(StickyForceData{0, kNaN}); }},
        {"SetBoostForce", [&] { c.GetBoostComponent().SetBoostForce(kInf); }},
        {"SetThrottleForce", [&] { c.GetAirControlComponent().SetThrottleForce(kNaN); }},
        {"SetDriveTorque", [&] { c.GetVehicleSim().SetDriveTorque(kNaN); }},
        {"SetSpinSpeed", [&] { c.GetVehicleSim().GetWheels().Get(0).SetSpinSpeed(kInf); }},
    };
    for (const Case& k : cases) {
        errors.clear();
        k.write();
        EXPECT_EQ(errors, (std::vector<std::string>{std::string(k.message) +
                                                    ": ignored a non-finite value"}));
    }
    // Everything kept its value; the one finite AddVelocity of the overflow case went in.
    const RBState s = c.GetRBState();
    EXPECT_EQ(s.Location.X, 0.0f);
    EXPECT_EQ(s.LinearVelocity.X, 100.0f + 3e38f);
    EXPECT_EQ(s.Quaternion.W, 1.0f);
    EXPECT_EQ(c.GetMass(), 180.0f);
    EXPECT_EQ(c.GetMaxLinearSpeed(), 2300.0f);
    EXPECT_EQ(c.GetStickyForce().Wall, 1.5f);
    EXPECT_EQ(c.GetBoostComponent().GetBoostForce(), 178500.0f);
    EXPECT_EQ(c.GetAirControlComponent().GetThrottleForce(), 5000.0f);
    EXPECT_EQ(c.GetVehicleSim().GetDriveTorque(), 72000.0f);
}

TEST_F(Wrappers, RemovedComponentsAndWheelsBecomeNullHandles) {
    host::Car* raw = game.localCar();
    BoostWrapper boost = car().GetBoostComponent();
    raw->boost.alive = false;
    EXPECT_TRUE(car().GetBoostComponent().IsNull());
    EXPECT_EQ(boost.GetBoostForce(), 0.0f);
    boost.SetBoostForce(1.0f);
    raw->boost.alive = true;
    EXPECT_EQ(boost.GetBoostForce(), 178500.0f);

    WheelWrapper w2 = car().GetVehicleSim().GetWheels().Get(2);
    raw->setWheelCount(2);
    EXPECT_EQ(car().GetVehicleSim().GetWheels().Count(), 2);
    EXPECT_TRUE(w2.IsNull() == false);
    EXPECT_EQ(w2.GetSuspensionStiffness(), 0.0f);
}

}  // namespace
