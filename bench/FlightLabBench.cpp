// The flight lab's speed: flights per second of the default launch on one worker, and the
// default comparison through the program.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

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
void BM_FlightsPerCpuSecondInProcess(benchmark::State& state) {
    flightlab::FlightEngine engine(WL_PLUGIN_PATH, kOut / "in-process");
    std::vector<flightlab::Setup> setups;
    for (const std::string& p : flightlab::LabOptions{}.presets)
        setups.push_back(flightlab::setupFor(p));
    for (auto _ : state)
        for (const auto& s : setups) benchmark::DoNotOptimize(engine.fly(flightlab::Launch{}, s));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(setups.size()));
}
BENCHMARK(BM_FlightsPerCpuSecondInProcess)->Unit(benchmark::kMillisecond);

}  // namespace
