// Cost of one model tick through the host wrappers against the same arithmetic on plain values,
// with the heap allocations per call counted.
#include <benchmark/benchmark.h>

#include <string>

#include "Divisions.h"
#include "aero/AeroModel.h"
#include "aero/ModelConstants.h"
#include "wltest/AllocationCounter.h"
#include "wltest/PluginHarness.h"

namespace {

// The worked case: identity orientation, V = (1000, 0, 100), in the air, every scale 1.
const RBState kStart{Quat(), Vector(0, 0, 500), Vector(1000, 0, 100), Vector(0, 0, 0), 0, 0, 0};

void setUp(wltest::PluginHarness& h) {
    h.game.setMode(host::Mode::Freeplay);
    for (const char* line : {"wl_air_density 0.1", "wl_drag_x 1", "wl_drag_y 1", "wl_drag_z 1",
                             "wl_pitch 1", "wl_roll 1", "wl_yaw 1", "wl_lift 1", "wl_enabled 1"})
        h.run(line);
    host::Car& car = *h.game.localCar();
    car.extent = Vector(60, 40, 20);
    car.onGround = 0;
}

void reportAllocations(benchmark::State& state, long long before) {
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(wltest::allocationCount() - before) / static_cast<double>(state.iterations()));
}

// One call of the hook's target as the host makes it, every wrapper call crossing into the
// host library. The event name is not read, so an empty one is passed.
void BM_ApplyAerodynamics(benchmark::State& state) {
    wltest::PluginHarness h;
    setUp(h);
    host::Car& car = *h.game.localCar();
    const CarWrapper handle = h.localCar();
    const wlbench::DivisionMeter meter;
    const long long before = wltest::allocationCount();
    for (auto _ : state) {
        car.rb = kStart;
        h.plugin->applyAerodynamics(handle, nullptr, std::string());
        benchmark::DoNotOptimize(car.rb.LinearVelocity);
    }
    reportAllocations(state, before);
    meter.report(state);
}
BENCHMARK(BM_ApplyAerodynamics);

// One tick of the game as sim_tick runs it: the hook dispatch into the plug-in, then the car's
// and the ball's physics steps.
void BM_GameTick(benchmark::State& state) {
    wltest::PluginHarness h;
    setUp(h);
    host::Car& car = *h.game.localCar();
    const wlbench::DivisionMeter meter;
    const long long before = wltest::allocationCount();
    for (auto _ : state) {
        car.rb = kStart;
        h.game.tick();
        benchmark::DoNotOptimize(car.rb.LinearVelocity);
    }
    reportAllocations(state, before);
    meter.report(state);
}
BENCHMARK(BM_GameTick);

// The car's values the tick reads and writes, held in plain memory.
struct PlainCar {
    RBState rb;
    Vector extent;
    bool onGround;
    float maxLinearSpeed, maxLinearSpeed2, boostForce, throttleForce;
    Rotator airTorque;
    StickyForceData sticky;
};

// The tick's arithmetic and writes without the host: the baseline the wrappers are measured by.
void BM_ArithmeticOnly(benchmark::State& state) {
    wltest::PluginHarness h;
    setUp(h);
    wingleaf& p = *h.plugin;
    PlainCar car{kStart, Vector(60, 40, 20), false, 0, 0, 0, 0, Rotator(), StickyForceData{0, 0}};
    const wlbench::DivisionMeter meter;
    const long long before = wltest::allocationCount();
    for (auto _ : state) {
        car.rb = kStart;
        benchmark::DoNotOptimize(car.rb);
        const aero::AeroStep step = aero::computeAeroStep(
            car.rb.Quaternion, car.rb.LinearVelocity, car.extent, p.sliderValues());
        car.rb.LinearVelocity += step.drag;
        car.rb.AngularVelocity += step.spin;
        car.rb.LinearVelocity += step.lift;
        car.maxLinearSpeed = car.maxLinearSpeed2 = step.maxLinearSpeed;
        car.boostForce = step.boostForce;
        car.throttleForce = step.throttleForce;
        car.airTorque = step.scaledAirTorque;
        if (car.onGround && step.speedUu >= aero::kGroundReleaseSpeedUu) {
            car.sticky = StickyForceData{0, 0};
        } else {
            car.sticky = stock::stickyForce();
            car.airTorque = stock::airTorque();
        }
        benchmark::DoNotOptimize(car);
    }
    reportAllocations(state, before);
    meter.report(state);
}
BENCHMARK(BM_ArithmeticOnly);

}  // namespace

BENCHMARK_MAIN();
