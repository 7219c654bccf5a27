// A million model ticks from random states and slider values leave the car's state finite; the
// stiffest drag flies smoothly.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "wltest/PluginHarness.h"

namespace {

bool finite(float v) { return std::isfinite(v); }
bool finite(const Vector& v) { return finite(v.X) && finite(v.Y) && finite(v.Z); }

bool carStateFinite(const host::Car& car) {
    const RBState& rb = car.rb;
    return finite(rb.Quaternion.X) && finite(rb.Quaternion.Y) && finite(rb.Quaternion.Z) &&
           finite(rb.Quaternion.W) && finite(rb.Location) && finite(rb.LinearVelocity) &&
           finite(rb.AngularVelocity) && finite(car.maxLinearSpeed) &&
           finite(car.maxLinearSpeed2) && finite(car.sticky.Ground) && finite(car.sticky.Wall) &&
           finite(car.boost.boostForce) && finite(car.airControl.throttleForce);
}

class RandomState {
public:
    explicit RandomState(unsigned seed) : rng_(seed) {}

    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    // Mostly inside the range, sometimes exactly at a bound.
    float slider(float lo, float hi) {
        if (chance(0.05)) return lo;
        if (chance(0.05)) return hi;
        return uniform(lo, hi);
    }

    Quat orientation() {
        if (chance(0.05)) return Quat();
        std::normal_distribution<float> n;
        const float w = n(rng_), x = n(rng_), y = n(rng_), z = n(rng_);
        const float len = std::sqrt(w * w + x * x + y * y + z * z);
        return len > 0 ? Quat(w / len, x / len, y / len, z / len) : Quat();
    }

    // Up to ten times the stock top speed (the speed multiplier's maximum); sometimes at rest
    // or exactly along the car's nose, where the model's divisions degenerate.
    Vector velocity(const Quat& q) {
        if (chance(0.03)) return Vector(0, 0, 0);
        const float speed = uniform(0.0f, 23000.0f);
        if (chance(0.03)) {
            const float x = q.X, y = q.Y, z = q.Z, w = q.W;
            return Vector(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)) * speed;
        }
        return Vector(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)) * speed;
    }

private:
    std::mt19937 rng_;
};

void randomSliders(RandomState& r, wingleaf& p) {
    *p.cell(Slider::air_density) = r.slider(0.0f, 0.5f);
    for (Slider s : {Slider::length, Slider::width, Slider::height, Slider::drag_x, Slider::drag_y,
                     Slider::drag_z, Slider::pitch, Slider::roll, Slider::yaw, Slider::lift,
                     Slider::boost, Slider::throttle}) {
        *p.cell(s) = r.slider(0.0f, 10.0f);
    }
    *p.cell(Slider::speed) = r.slider(0.000499f, 10.0f);
}

void randomCar(RandomState& r, host::Car& car) {
    car.rb.Quaternion = r.orientation();
    car.rb.LinearVelocity = r.velocity(car.rb.Quaternion);
    car.rb.AngularVelocity = Vector(r.uniform(-5.5f, 5.5f), r.uniform(-5.5f, 5.5f),
                                    r.uniform(-5.5f, 5.5f));
    const bool grounded = r.chance(0.3);
    car.onGround = grounded ? 1 : 0;
    car.rb.Location = Vector(r.uniform(-4000, 4000), r.uniform(-5000, 5000),
                             grounded ? 17.0f : r.uniform(17, 2000));
}

TEST(AeroProperty, MillionTicksStayFinite) {
    wltest::PluginHarness h;
    h.game.setMode(host::Mode::Freeplay);
    ASSERT_TRUE(h.run("wl_enabled 1"));
    ASSERT_EQ(h.game.hookCount("Function TAGame.Car_TA.SetVehicleInput"), 1);
    host::Car& car = *h.game.localCar();
    const Vector stockExtent = car.extent;

    RandomState r(20261207);
    constexpr int kTicks = 1000000;
    for (int i = 0; i < kTicks; ++i) {
        if (i % 500 == 0) {
            randomSliders(r, *h.plugin);
            car.extent = r.chance(0.1) ? Vector(r.slider(0, 60), r.slider(0, 40), 0) : stockExtent;
        }
        // A fresh state now and then; in between the car flies on under the model.
        if (i % 20 == 0) randomCar(r, car);
        h.game.tick(1);
        if (!carStateFinite(car)) {
            FAIL() << "non-finite car state after tick " << i;
        }
    }
    EXPECT_EQ(h.err.str(), "");
}

// The strongest drag with a narrow car yawed 45 degrees against its motion: density 0.5, X and
// Y settings 10, no length. Drag acts in the horizontal plane only (gravity alone changes the
// vertical speed), and there the velocity never turns round from one tick to the next and never
// exceeds its start.
TEST(AeroProperty, StiffDragDecaysWithoutFlipping) {
    wltest::PluginHarness h;
    h.game.setMode(host::Mode::Freeplay);
    for (const char* line : {"wl_air_density 0.5", "wl_length 0", "wl_drag_x 7", "wl_drag_y 7",
                             "wl_lift 0", "wl_pitch 0", "wl_roll 0", "wl_yaw 0", "wl_enabled 1"}) {
        ASSERT_TRUE(h.run(line)) << line;
    }
    for (const float setting : {7.0f, 10.0f}) {
        *h.plugin->cell(Slider::drag_x) = *h.plugin->cell(Slider::drag_y) = setting;
        host::Car& car = *h.game.localCar();
        car.rb.Location = Vector(0, 0, 100000);
        car.onGround = 0;
        car.rb.Quaternion = Quat(0.92388f, 0, 0, 0.38268f);
        car.rb.AngularVelocity = Vector(0, 0, 0);
        for (const Vector start : {Vector(1000, 0, 0), Vector(1, 100, 0)}) {
            car.rb.LinearVelocity = start;
            const double startSpeed = std::hypot(start.X, start.Y);
            Vector before = start;
            for (int tick = 0; tick < 600; ++tick) {
                h.game.tick(1);
                const Vector now = car.rb.LinearVelocity;
                ASSERT_GT(double(before.X) * now.X + double(before.Y) * now.Y, 0.0)
                    << "setting " << setting << ", tick " << tick;
                ASSERT_LE(std::hypot(now.X, now.Y), startSpeed) << "setting " << setting << ", tick " << tick;
                before = now;
            }
        }
    }
    EXPECT_EQ(h.err.str(), "");
}

}  // namespace
