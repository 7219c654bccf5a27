// The launch grid's speed: the default comparison's six set-ups at the sixty launches of
// speed=1000:2300:4, pitch=0:60:5, heading=0:90:3, on one worker and on two. Flights per second
// for the pool and per worker; two workers should fly at least 1.8 times as fast as one.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Lab.h"
#include "Launches.h"
#include "Workers.h"

namespace {

namespace fs = std::filesystem;

std::vector<flightlab::Job> gridJobs() {
    flightlab::LaunchGrid grid;
    grid.axes = {{"speed", 1000, 2300, 4}, {"pitch", 0, 60, 5}, {"heading", 0, 90, 3}};
    std::vector<flightlab::Job> jobs;
    for (const std::string& p : flightlab::LabOptions{}.presets)
        for (std::size_t l = 0; l < grid.size(); ++l)
            jobs.push_back(flightlab::flightJob(grid.launch(flightlab::Launch{}, l), flightlab::setupFor(p), false));
    return jobs;
}

void BM_DefaultGrid(benchmark::State& state) {
    const int workers = static_cast<int>(state.range(0));
    const fs::path work = fs::temp_directory_path() / ("wingleaf-grid-bench-" + std::to_string(workers));
    flightlab::WorkerPool pool(flightlab::WorkerSetup{WL_PLUGIN_PATH, work, {}, workers});
    const auto jobs = gridJobs();
    for (auto _ : state) benchmark::DoNotOptimize(pool.run(jobs));
    const auto flights = static_cast<double>(state.iterations()) * static_cast<double>(jobs.size());
    state.counters["flights_per_s"] = benchmark::Counter(flights, benchmark::Counter::kIsRate);
    state.counters["flights_per_s_per_worker"] =
        benchmark::Counter(flights / workers, benchmark::Counter::kIsRate);
    std::error_code ec;
    fs::remove_all(work, ec);
}
BENCHMARK(BM_DefaultGrid)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace
