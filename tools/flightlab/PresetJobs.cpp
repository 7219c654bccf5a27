// Preset jobs run by a worker pool, each in its worker's own folder.
#include "PresetJobs.h"

#include <algorithm>
#include <cstdint>

#include "presets/PresetStorage.h"

namespace flightlab {

namespace fs = std::filesystem;

fs::path presetFolderOf(const fs::path& game) {
    return (game / kPresetDirectory).lexically_normal();
}

void createPreset(WorkerPool& pool, const std::string& name, const SliderValues& values,
                  const fs::path& copyTo, bool onlyNew) {
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = name;
    create.setup.preset = name;
    create.values = values;
    create.onlyNew = onlyNew;
    if (!copyTo.empty()) create.file = fs::absolute(copyTo).string();
    pool.fly(create);
}

std::string refusalReason(const std::exception& e, const std::string& name) {
    // The worker's own words: "did not create the preset NAME: <the plug-in's reason>".
    const std::string what = e.what(), lead = "did not create the preset " + name + ": ";
    const auto at = what.find(lead);
    return at == std::string::npos ? what : what.substr(at + lead.size());
}

std::vector<SliderValues> presetSliders(WorkerPool& pool, const std::vector<std::string>& presets) {
    std::vector<Job> jobs;
    for (const auto& preset : presets) {
        Job read;
        read.kind = Job::Kind::ReadPreset;
        read.setup = setupFor(preset);
        jobs.push_back(read);
    }
    std::vector<SliderValues> values;
    for (const Flight& f : pool.run(jobs)) values.push_back(f.sliders);
    return values;
}

SliderValues readPresetText(WorkerPool& pool, const std::string& text) {
    Job read;
    read.kind = Job::Kind::ReadPreset;
    read.setup.label = "preset file";
    read.content = text;
    return pool.fly(read).sliders;
}

std::vector<std::string> userPresetNames(WorkerPool& pool, std::size_t most) {
    Job list;
    list.kind = Job::Kind::ListPresets;
    list.setup.label = "user presets";
    list.most = static_cast<std::uint32_t>(std::min<std::size_t>(most, UINT32_MAX));
    return pool.fly(list).presets;
}

}  // namespace flightlab
