// One HUD frame with all three panels on the recording canvas, through the registered drawable.
#include <benchmark/benchmark.h>

#include "Divisions.h"
#include "wltest/AllocationCounter.h"
#include "wltest/PluginHarness.h"

namespace {

void BM_HudFrame(benchmark::State& state) {
    wltest::PluginHarness h(host::Mode::Freeplay);
    host::Car* car = h.game.localCar();
    car->rb.Location = Vector(1234.5f, -2345.25f, 17.01f);
    car->rb.LinearVelocity = Vector(1500.25f, -320.5f, 12.75f);
    car->rb.AngularVelocity = Vector(0.25f, -1.5f, 3.125f);
    car->rb.Quaternion = Quat(0.8660254f, 0.0f, 0.0f, 0.5f);
    h.drawFrame();
    const long long allocationsBefore = wltest::allocationCount();
    const wlbench::DivisionMeter meter;
    for (auto _ : state) {
        h.drawFrame();
        benchmark::DoNotOptimize(h.canvas.ops().data());
    }
    meter.report(state);
    state.counters["ops"] = static_cast<double>(h.canvas.ops().size());
    state.counters["allocs_per_frame"] =
        static_cast<double>(wltest::allocationCount() - allocationsBefore) /
        static_cast<double>(state.iterations());
}
BENCHMARK(BM_HudFrame);

}  // namespace
