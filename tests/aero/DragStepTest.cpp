// The drag's step over random states: continuous and falling as the drag rises, the model's own
// increment wherever it cannot overshoot, and never faster than before the tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "aero/AeroModel.h"

namespace {

// States per property, each two to four model ticks: a million in an optimised build
// (ctest --preset release), a tenth of that under the sanitizers, where it would take minutes.
#ifdef NDEBUG
constexpr int kStates = 1000000;
#else
constexpr int kStates = 100000;
#endif

struct DragState {
    Quat q;
    Vector v;
    Vector extent;
    SliderValues s;
};

const Slider kDrags[] = {Slider::drag_x, Slider::drag_y, Slider::drag_z};

// Any orientation and direction of travel, speeds to 23000 uu/s, dimensions, density and
// settings over their whole ranges with their bounds now and then, one box in four random.
class States {
public:
    explicit States(unsigned seed) : rng_(seed) {}

    float fraction() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng_); }
    float slider(float hi) {
        const float pick = fraction();
        return pick < 0.05f ? 0.0f : pick > 0.95f ? hi : hi * fraction();
    }
    Slider anyDrag() { return kDrags[rng_() % 3]; }

    DragState next(bool equalSettings) {
        std::normal_distribution<float> normal;
        float c[4] = {normal(rng_), normal(rng_), normal(rng_), normal(rng_)};
        const float n = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2] + c[3] * c[3]);
        DragState st;
        st.q = Quat(c[0] / n, c[1] / n, c[2] / n, c[3] / n);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        st.v = Vector(unit(rng_), unit(rng_), unit(rng_)) * (23000.0f * fraction());
        st.extent = rng_() % 4 == 0 ? Vector(slider(100), slider(100), slider(100))
                                    : Vector(60.2535f, 43.3495f, 19.3295f);
        st.s = SliderValues{{Slider::air_density, slider(0.5f)},
                            {Slider::length, slider(10)},
                            {Slider::width, slider(10)},
                            {Slider::height, slider(10)}};
        for (Slider d : kDrags)
            st.s[d] = equalSettings && d != Slider::drag_x ? st.s[Slider::drag_x] : slider(10);
        return st;
    }

private:
    std::mt19937 rng_;
};

Vector dragOf(const DragState& st) {
    return aero::computeAeroStep(st.q, st.v, st.extent, st.s).drag;
}
Vector after(const DragState& st) {
    return st.v + dragOf(st);
}  // as the host adds it
double length(const Vector& a) {
    return std::sqrt(double(a.X) * a.X + double(a.Y) * a.Y + double(a.Z) * a.Z);
}
// Float steps at the state's speed: the unit in which rounding moves its velocity.
double floatSteps(double distance, const Vector& v) {
    const float speed = static_cast<float>(length(v));
    return distance / std::max(double(std::nextafter(speed, 1e30f) - speed), 1e-30);
}
float largestDrag(const SliderValues& s) {
    return std::max({s[kDrags[0]], s[kDrags[1]], s[kDrags[2]]});
}
bool sameBits(const Vector& a, const Vector& b) {
    return std::memcmp(&a.X, &b.X, sizeof(float)) == 0 &&
           std::memcmp(&a.Y, &b.Y, sizeof(float)) == 0 &&
           std::memcmp(&a.Z, &b.Z, sizeof(float)) == 0;
}

// Along the nose of an Octane-sized car, all three settings equal: the speed kept per tick falls
// with every float of the setting, never reaches zero, and at the settings where the density
// times the setting is 1 (once a switch to another step) moves by no more than float steps.
TEST(DragStep, SpeedKeptAlongTheNoseFallsSmoothlyWithTheSetting) {
    for (const float rho : {0.1f, 0.25f, 0.5f}) {
        SCOPED_TRACE(rho);
        DragState st{Quat(), Vector(1000, 0, 0), Vector(60.2535f, 43.3495f, 19.3295f),
                     SliderValues{{Slider::air_density, rho}}};
        const auto keptAt = [&](float setting) {
            for (Slider d : kDrags) st.s[d] = setting;
            return after(st).X / 1000.0f;
        };
        float before = keptAt(0.0f);
        EXPECT_EQ(before, 1.0f);
        for (float setting = 0.01f; setting <= 10.0f; setting += 0.01f) {
            const float kept = keptAt(setting);
            ASSERT_LE(kept, before) << setting;
            ASSERT_GT(kept, 0.0f) << setting;
            before = kept;
        }
        const float former = 1.0f / rho;
        float setting = former;
        for (int i = 0; i < 8; ++i) setting = std::nextafter(setting, 0.0f);
        for (float last = keptAt(setting); setting < former * 1.00001f;) {
            setting = std::nextafter(setting, 100.0f);
            const float kept = keptAt(setting);
            ASSERT_LE(kept, last) << setting;
            ASSERT_LE(last - kept, 4e-7f) << setting;
            last = kept;
        }
    }
}

// (a) Raising the density or the three equal settings never leaves more speed after the tick.
// (One setting raised alone is another matter: different settings move speed from one world
// axis to another by design, and the step of the usual range already does so.)
TEST(DragStep, MoreDensityOrMoreEqualDragNeverLeavesMoreSpeed) {
    States r(20261208);
    for (int i = 0; i < kStates; ++i) {
        const DragState st = r.next(true);
        const double left = length(after(st));
        DragState denser = st, draggier = st;
        denser.s[Slider::air_density] =
            std::min(0.5f, st.s[Slider::air_density] * (1 + r.fraction()) + 1e-6f);
        const float raised = std::min(10.0f, st.s[Slider::drag_x] * (1 + r.fraction()) + 1e-6f);
        for (Slider d : kDrags) draggier.s[d] = raised;
        ASSERT_LE(floatSteps(length(after(denser)) - left, st.v), 2.0) << "density, state " << i;
        ASSERT_LE(floatSteps(length(after(draggier)) - left, st.v), 2.0) << "settings, state " << i;
    }
}

// (b) One float of the largest setting across largest setting x density = 1, where the step
// switched before, moves the velocity by at most a few float steps of the speed, equal settings
// or not. Before the switch it moved by up to millions.
TEST(DragStep, OneFloatAcrossTheFormerSwitchMovesTheVelocityByFloatSteps) {
    States r(20261209);
    for (int i = 0; i < kStates; ++i) {
        DragState st = r.next(i % 2 == 0);
        const float rho = 0.1f + 0.4f * r.fraction();
        st.s[Slider::air_density] = rho;
        float top = 1.0f / rho;
        while (top * rho < 1.0f) top = std::nextafter(top, 100.0f);
        const Slider raised = r.anyDrag();
        for (Slider d : kDrags) st.s[d] = i % 2 == 0 || d == raised ? top : std::min(st.s[d], top);
        DragState below = st;
        for (Slider d : kDrags) {
            if (st.s[d] == top) below.s[d] = std::nextafter(top, 0.0f);
        }
        ASSERT_LE(floatSteps(length(after(st) - after(below)), st.v), 4.0) << "state " << i;
    }
}

// (b) Where the model's own increment hands over to the smooth step (found by bisection for
// equal settings: the last setting whose drag is the unit setting's drag times the setting),
// the next float changes the velocity by at most a few float steps.
TEST(DragStep, WhereTheSmoothStepTakesOverTheVelocityMovesByFloatSteps) {
    States r(20261210);
    int handOvers = 0;
    for (int i = 0; i < kStates / 20; ++i) {
        DragState st = r.next(true);
        st.s[Slider::air_density] = 0.25f + 0.25f * r.fraction();
        DragState unit = st;
        for (Slider d : kDrags) unit.s[d] = 1.0f;
        const Vector unitDrag = dragOf(unit);
        const auto explicitAt = [&](float setting) {
            for (Slider d : kDrags) st.s[d] = setting;
            return sameBits(dragOf(st), unitDrag * setting);
        };
        float lo = 0.5f / st.s[Slider::air_density], hi = 10.0f;
        if (!explicitAt(lo) || explicitAt(hi)) continue;
        while (std::nextafter(lo, hi) < hi) {
            const float mid = lo + (hi - lo) / 2;
            (explicitAt(mid) ? lo : hi) = std::max(mid, std::nextafter(lo, hi));
        }
        explicitAt(lo);
        const Vector last = after(st);
        explicitAt(hi);
        ASSERT_LE(floatSteps(length(after(st) - last), st.v), 4.0)
            << "state " << i << ", setting " << hi;
        ++handOvers;
    }
    EXPECT_GT(handOvers, kStates / 100);
}

// Where the largest setting times the density is at most 1/2 the drag is the settings times the
// drag at settings 1, bit for bit, unless that would leave the car faster than before: then
// the new velocity has that direction and the old speed. With equal settings it never does.
TEST(DragStep, UsualRangeKeepsTheIncrementUnlessItWouldSpeedTheCarUp) {
    States r(20261211);
    int kept = 0;
    for (int i = 0; i < kStates; ++i) {
        const bool equal = i % 2 == 0;
        DragState st = r.next(equal);
        const float rho = st.s[Slider::air_density];
        const float scale =
            rho == 0.0f ? 1.0f : std::min(1.0f, 0.5f / (rho * std::max(largestDrag(st.s), 1e-3f)));
        for (Slider d : kDrags) st.s[d] *= scale;
        if (largestDrag(st.s) * rho > 0.5f) continue;
        DragState unit = st;
        for (Slider d : kDrags) unit.s[d] = 1.0f;
        const Vector increment =
            Vector(st.s[Slider::drag_x], st.s[Slider::drag_y], st.s[Slider::drag_z]) * dragOf(unit);
        const Vector drag = dragOf(st);
        const double speed = length(st.v);
        // |v + increment|^2 - |v|^2, before the host rounds the sum
        const double gain = double(increment.X) * (2.0 * st.v.X + increment.X) +
                            double(increment.Y) * (2.0 * st.v.Y + increment.Y) +
                            double(increment.Z) * (2.0 * st.v.Z + increment.Z);
        if (gain <= 0.0 || equal) {
            ASSERT_TRUE(sameBits(drag, increment)) << "state " << i;
            ++kept;
            continue;
        }
        const Vector capped = st.v + drag;
        ASSERT_LE(std::fabs(floatSteps(length(capped) - speed, st.v)), 4.0) << "state " << i;
        const Vector across = Vector::cross(st.v + increment, capped);
        ASSERT_LE(floatSteps(length(across) / length(st.v + increment), st.v), 4.0)
            << "state " << i;
    }
    EXPECT_GT(kept, kStates / 2);
}

}  // namespace
