// The benchmarks' yardstick: one float division that waits for the one before, timed in the
// same process, so that figures taken on different machines compare. It does not cancel load:
// a program busy beside the benchmark slows its work far more than it slows a chain of
// divisions, so figures are taken on a quiet machine.
#pragma once
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdint>

namespace wlbench {

// CPU time of the calling thread, in nanoseconds: another program's load does not count.
inline double threadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Nanoseconds of one dependent float division: the best of a few runs of a long chain.
inline double divisionNs() {
    static const double ns = [] {
        constexpr int kChain = 1 << 22;
        volatile float divisor = 1.0000001f;
        double best = 1e300;
        for (int run = 0; run < 5; ++run) {
            float x = 1.0f;
            const float d = divisor;
            const double start = threadCpuNs();
            // Each division needs the one before: the chain cannot overlap or be folded.
            for (int i = 0; i < kChain; ++i) x = x / d;
            benchmark::DoNotOptimize(x);
            best = std::min(best, (threadCpuNs() - start) / kChain);
        }
        return best;
    }();
    return ns;
}

// Times the benchmark's loop in thread CPU time and reports it per item in divisions
// ("divisions"), beside the division's own nanoseconds ("division_ns").
class DivisionMeter {
public:
    DivisionMeter() : division_(divisionNs()), start_(threadCpuNs()) {}
    void report(benchmark::State& state, double itemsPerIteration = 1.0) const {
        const double items = static_cast<double>(state.iterations()) * itemsPerIteration;
        if (items <= 0) return;
        state.counters["divisions"] = (threadCpuNs() - start_) / items / division_;
        state.counters["division_ns"] = division_;
    }

private:
    double division_;
    double start_;
};

}  // namespace wlbench
