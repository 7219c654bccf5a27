// A model call allocates nothing on the heap. (The host's hook dispatch around it makes the
// event-name string the callback signature takes by value; that is the host's, not the model's.)
#include <gtest/gtest.h>

#include <string>

#include "wltest/AllocationCounter.h"
#include "wltest/PluginHarness.h"

namespace {

TEST(AeroAllocations, AModelCallAllocatesNothing) {
    wltest::PluginHarness h;
    h.game.setMode(host::Mode::Freeplay);
    for (const char* line : {"wl_preset 2", "wl_enabled 1"}) ASSERT_TRUE(h.run(line));
    host::Car& car = *h.game.localCar();
    const CarWrapper handle = h.localCar();
    struct Case {
        const char* what;
        RBState start;
        unsigned long onGround;
    };
    const Case cases[] = {
        {"in the air: drag, lift and stabilisation",
         {Quat(), Vector(0, 0, 500), Vector(1000, 200, 100), Vector(1, 0, 0), 0, 0, 0}, 0},
        {"on the ground past the release speed",
         {Quat(), Vector(0, 0, 17), Vector(1500, 0, 0), Vector(0, 0, 0), 0, 0, 0}, 1},
    };
    // Then the first case again with stiff, unequal drag: the step beyond the explicit range.
    for (int i = 0; i < 3; ++i) {
        const Case& c = cases[i % 2];
        if (i == 2) {
            for (const char* line : {"wl_air_density 0.5", "wl_drag_x 10", "wl_drag_y 0", "wl_drag_z 10"})
                ASSERT_TRUE(h.run(line));
        }
        SCOPED_TRACE(c.what);
        car.onGround = c.onGround;
        const auto call = [&] {
            car.rb = c.start;
            h.plugin->applyAerodynamics(handle, nullptr, std::string());
        };
        call();  // anything made once, on the first call, is not per call
        const long long before = wltest::allocationCount();
        for (int i = 0; i < 100; ++i) call();
        EXPECT_EQ(wltest::allocationCount() - before, 0);
        EXPECT_NE(car.rb.LinearVelocity.X, c.start.LinearVelocity.X);  // the model acted
    }
}

}  // namespace
