// The cost of one preset creation on disk (lock, preset file, settings file, both renames made
// durable) and of the folder syncs within it; a creation must stay well under a frame (8.33 ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "presets/FileSystem.h"
#include "presets/PresetProcedures.h"

namespace fs = std::filesystem;

namespace {

// A fresh installation under the temporary folder, removed at the end of the run.
struct Installation {
    fs::path root;
    PresetIo io;

    Installation() {
        root = fs::temp_directory_path() / ("wingleaf-bench-" + std::to_string(::getpid()));
        fs::create_directories(root / "bakkesmod/plugins/settings");
        fs::create_directories(root / "bakkesmod/wingleaf");
        io.paths.directory = (root / "bakkesmod/wingleaf").string();
        io.paths.settings = (root / "bakkesmod/plugins/settings/wingleaf.set").string();
        io.paths.temp = (root / "bakkesmod/plugins/settings/wingleaf.set.tmp").string();
        io.paths.presetTemp = (root / "bakkesmod/wingleaf/preset.tmp").string();
        io.log = [](const std::string&) {};
        io.execute = [](const std::string&) {};
        std::ofstream(io.paths.settings, std::ios::binary)
            << "Wingleaf\r\n6|Preset|wl_preset|Stock@0&Glide@1&Hover@2\r\n";
    }
    ~Installation() { fs::remove_all(root); }
};

// Overwriting one preset: every file step of a creation, with the settings file rewritten.
void BM_CreatePreset(benchmark::State& state) {
    Installation disk;
    SliderValues values;
    for (auto _ : state) createPreset(disk.io, "Bench", values);
}
BENCHMARK(BM_CreatePreset)->Unit(benchmark::kMicrosecond);

// The two folder syncs a creation adds, one per folder.
void BM_FolderSyncsPerCreate(benchmark::State& state) {
    Installation disk;
    for (auto _ : state) {
        benchmark::DoNotOptimize(wlfs::syncFolderOf(disk.io.paths.settings));
        benchmark::DoNotOptimize(wlfs::syncFolderOf(disk.io.paths.presetTemp));
    }
}
BENCHMARK(BM_FolderSyncsPerCreate)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
