// One number for a whole session: four cars, the model on, boost and stick inputs, 600 ticks.
// Any change anywhere in the host's physics or the plug-in's model changes the hash; update it
// only for a change meant to move the flight, and say by how much the flights moved.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "game/SimCommands.h"
#include "wltest/PluginHarness.h"

namespace {

// FNV-1a over the bytes of the values.
struct Hash {
    std::uint64_t value = 0xcbf29ce484222325ull;
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) value = (value ^ bytes[i]) * 0x100000001b3ull;
    }
    void add(float f) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        add(&bits, sizeof bits);
    }
    void add(Vector v) {
        add(v.X);
        add(v.Y);
        add(v.Z);
    }
};

TEST(GoldenSession, EveryCarsStateAfterAFixedSessionHashesToThePinnedValue) {
    wltest::PluginHarness h;
    host::registerSimCommands(h.console, h.game);
    const char* const script[] = {
        "sim_mode freeplay", "sim_cars 4", "wl_preset 2", "wl_enabled 1",
        // Car 0 leaves a ramp boosting with some stick; car 1 is thrown spinning; car 2 drives
        // off on the floor; car 3 falls nose down from high up.
        "sim_set car 0 location 0 0 300", "sim_set car 0 velocity 1800 0 800",
        "sim_set car 0 quaternion 0.976296 0 -0.216440 0", "sim_set car 0 on_ground 0",
        "sim_input boost 1 pitch 0.3 roll -0.5",
        "sim_set car 1 location 0 250 900", "sim_set car 1 velocity -400 1200 300",
        "sim_set car 1 angular_velocity 2 -1 4", "sim_set car 1 on_ground 0",
        "sim_set car 2 velocity 900 100 0",
        "sim_set car 3 location 500 -500 2000", "sim_set car 3 quaternion 0.7071068 0 0.7071068 0",
        "sim_set car 3 on_ground 0",
        "sim_tick 240", "sim_input boost 0 pitch 0 roll 0 yaw 1", "sim_tick 360"};
    for (const char* line : script) ASSERT_TRUE(h.run(line)) << line << "\n" << h.err.str();
    ASSERT_EQ(h.err.str(), "");

    Hash hash;
    ASSERT_EQ(h.game.carCount(), 4);
    for (int i = 0; i < h.game.carCount(); ++i) {
        const RBState& rb = h.game.car(i)->rb;
        hash.add(rb.Location);
        hash.add(rb.LinearVelocity);
        hash.add(rb.AngularVelocity);
        for (float q : {rb.Quaternion.X, rb.Quaternion.Y, rb.Quaternion.Z, rb.Quaternion.W})
            hash.add(q);
        hash.add(h.game.car(i)->onGround != 0 ? 1.0f : 0.0f);
    }
    EXPECT_EQ(hash.value, 0x07e1d382e14be093ull) << std::hex << "hash 0x" << hash.value;
}

}  // namespace
