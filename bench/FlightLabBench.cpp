// The flight lab's speed: flights per second of the default launch on one worker, and the
// default comparison through the program.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Divisions.h"
#include "Engine.h"
#include "process/ProcessRunner.h"
#include "Lab.h"
#include "Workers.h"

namespace {

namespace fs = std::filesystem;

const fs::path kOut = fs::temp_directory_path() / "wingleaf-flightlab-bench";

// The six set-ups of the default comparison, flown one after another by one worker.
void BM_FlightsPerSecondOneWorker(benchmark::State& state) {
    flightlab::WorkerPool pool(flightlab::WorkerSetup{WL_PLUGIN_PATH, kOut / "work", {}, 1});
    std::vector<flightlab::Job> jobs;
    for (const std::string& p : flightlab::LabOptions{}.presets)
        jobs.push_back(flightlab::flightJob(flightlab::Launch{}, flightlab::setupFor(p)));
    for (auto _ : state) benchmark::DoNotOptimize(pool.run(jobs));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(jobs.size()));
}
BENCHMARK(BM_FlightsPerSecondOneWorker)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1,200 flights of the six set-ups with their trajectories (as a launch grid flies them), by
// one worker and by two, one batch after the other on the same machine: "speedup" is one
// worker's time over two workers'. Page faults are the lab process's own, per flight.
void BM_PoolAgainstOneWorker(benchmark::State& state) {
    constexpr int kFlights = 1200;
    std::vector<flightlab::Job> jobs;
    const std::vector<std::string> presets = flightlab::LabOptions{}.presets;
    for (int i = 0; i < kFlights; ++i)
        jobs.push_back(flightlab::flightJob(
            flightlab::Launch{}, flightlab::setupFor(presets[static_cast<std::size_t>(i) % presets.size()])));
    flightlab::WorkerPool one(flightlab::WorkerSetup{WL_PLUGIN_PATH, kOut / "one", {}, 1});
    flightlab::WorkerPool two(flightlab::WorkerSetup{WL_PLUGIN_PATH, kOut / "two", {}, 2});
    const auto wallSeconds = [](flightlab::WorkerPool& pool, const std::vector<flightlab::Job>& js) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(pool.run(js));
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double oneS = 0, twoS = 0;
    long faults = 0;
    for (auto _ : state) {
        oneS += wallSeconds(one, jobs);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const double t = wallSeconds(two, jobs);
        getrusage(RUSAGE_SELF, &after);
        faults += after.ru_minflt - before.ru_minflt;
        twoS += t;
        state.SetIterationTime(t);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["one_worker_s"] = oneS / n;
    state.counters["two_workers_s"] = twoS / n;
    state.counters["speedup"] = oneS / twoS;
    state.counters["lab_faults_per_flight"] = static_cast<double>(faults) / (n * kFlights);
    state.SetItemsProcessed(state.iterations() * kFlights);
}
BENCHMARK(BM_PoolAgainstOneWorker)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The whole default comparison through wingleaf-flightlab: tables, CSV files, four pictures.
void BM_DefaultComparison(benchmark::State& state) {
    const std::vector<std::string> args{WL_FLIGHTLAB_EXE, "--out", (kOut / "program").string()};
    for (auto _ : state)
        if (wlproc::runProcess(args).exitCode != 0) state.SkipWithError("wingleaf-flightlab failed");
}
BENCHMARK(BM_DefaultComparison)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same flights in this process, timed by this process's CPU: what one worker costs when
// the machine is shared. Runs last: the process then holds the plug-in, and workers forked
// after it would inherit it.
// Resident memory of this process in KiB.
double residentKib() {
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// "divisions" is the CPU time of a tick, set-up included, in float divisions;
// "rss_kib_per_1000_flights" how much the resident memory grew past the first 600 flights.
void BM_FlightsPerCpuSecondInProcess(benchmark::State& state) {
    flightlab::FlightEngine engine(WL_PLUGIN_PATH, kOut / "in-process");
    std::vector<flightlab::Setup> setups;
    for (const std::string& p : flightlab::LabOptions{}.presets)
        setups.push_back(flightlab::setupFor(p));
    for (int warm = 0; warm < 100; ++warm)
        for (const auto& s : setups) benchmark::DoNotOptimize(engine.fly(flightlab::Launch{}, s));
    const double residentBefore = residentKib();
    double ticks = 0;
    const wlbench::DivisionMeter meter;
    for (auto _ : state) {
        for (const auto& s : setups) {
            const flightlab::Flight f = engine.fly(flightlab::Launch{}, s);
            ticks += static_cast<double>(f.samples.size() - 1);
        }
    }
    meter.report(state, ticks / static_cast<double>(state.iterations()));
    const double flights = static_cast<double>(state.iterations() * setups.size());
    state.counters["rss_kib_per_1000_flights"] = (residentKib() - residentBefore) / flights * 1000.0;
    state.counters["ticks_per_flight"] = ticks / static_cast<double>(state.iterations() * setups.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(setups.size()));
}
BENCHMARK(BM_FlightsPerCpuSecondInProcess)->Unit(benchmark::kMillisecond);

}  // namespace
