// The model's arithmetic kernel alone, in multiples of one dependent float division measured
// in the same run, so that figures from busy and quiet machines compare.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <random>
#include <vector>

#include "aero/AeroModel.h"

namespace {

// This thread's CPU time, in nanoseconds: on a shared machine wall time counts the others' work.
double cpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Nanoseconds of one float division that waits for the one before it: the best of several
// chains, so that a descheduled moment does not count.
double dependentDivisionNs() {
    constexpr int kChain = 1 << 20;
    double best = 1e9;
    for (int round = 0; round < 7; ++round) {
        float x = 1.5f;
        float d = 1.0000001f;
        benchmark::DoNotOptimize(d);
        const double start = cpuNs();
        // x / d and d / x alternate between two values near 1.5 and 0.67: no overflow.
        for (int i = 0; i < kChain; ++i) x = d / x;
        benchmark::DoNotOptimize(x);
        best = std::min(best, (cpuNs() - start) / kChain);
    }
    return best;
}

struct KernelInput {
    Quat q;
    Vector v;
    Vector extent;
    SliderValues sliders;
};

// The worked case: identity orientation, V = (1000, 0, 100), extent (60, 40, 20), density 0.1,
// every scale 1. The same state each call, as a steady stretch of flight meets it.
std::vector<KernelInput> workedCase() {
    SliderValues s{{Slider::air_density, 0.1f}, {Slider::drag_x, 1}, {Slider::drag_y, 1},
                   {Slider::drag_z, 1},         {Slider::pitch, 1},  {Slider::roll, 1},
                   {Slider::yaw, 1},            {Slider::lift, 1}};
    return {KernelInput{Quat(), Vector(1000, 0, 100), Vector(60, 40, 20), s}};
}

// Any orientation, speeds up to 1300 in any direction, sliders inside the usual range (density
// to 0.5, scales to 2): every call a different state, so that no branch is learnt.
std::vector<KernelInput> randomStates() {
    std::mt19937 rng(24);
    std::normal_distribution<float> n;
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), scale(0.0f, 2.0f);
    std::vector<KernelInput> states(4096);
    for (KernelInput& in : states) {
        const float w = n(rng), x = n(rng), y = n(rng), z = n(rng);
        const float len = std::sqrt(w * w + x * x + y * y + z * z);
        in.q = Quat(w / len, x / len, y / len, z / len);
        in.v = Vector(unit(rng), unit(rng), unit(rng)) * 1300.0f;
        in.extent = Vector(60.0f, 40.0f, 20.0f);
        for (Slider s : kSliders) in.sliders[s] = scale(rng);
        in.sliders[Slider::air_density] = scale(rng) / 4.0f;
    }
    return states;
}

// computeAeroStep, one call after another; the counter "divisions" is the CPU time of one call
// over that of one dependent division.
void BM_ComputeAeroStep(benchmark::State& state, std::vector<KernelInput> (*makeStates)()) {
    const double divisionNs = dependentDivisionNs();
    const std::vector<KernelInput> states = makeStates();
    std::size_t at = 0;
    const double start = cpuNs();
    for (auto _ : state) {
        const KernelInput& in = states[at];
        if (++at == states.size()) at = 0;
        benchmark::DoNotOptimize(aero::computeAeroStep(in.q, in.v, in.extent, in.sliders));
    }
    const double perCallNs = (cpuNs() - start) / static_cast<double>(state.iterations());
    state.counters["division_ns"] = divisionNs;
    state.counters["divisions"] = perCallNs / divisionNs;
}
BENCHMARK_CAPTURE(BM_ComputeAeroStep, worked_case, workedCase);
BENCHMARK_CAPTURE(BM_ComputeAeroStep, random_states, randomStates);

}  // namespace

BENCHMARK_MAIN();
