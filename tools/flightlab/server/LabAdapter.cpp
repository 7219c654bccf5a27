// The workbench's one way into the lab: its requests turned into the core's types, run on the
// workers, and the results written as the page reads them.
#include "LabAdapter.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "Answers.h"
#include "Healing.h"
#include "PresetJobs.h"
#include "Tune.h"
#include "Workers.h"

namespace flightlab::server {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return bytes.str();
}

}  // namespace

LabAdapter::LabAdapter(const fs::path& plugin, const fs::path& work, const fs::path& game,
                       int flyWorkers)
    : work_(fs::absolute(work)), game_(game.empty() ? fs::path() : fs::absolute(game)) {
    flyPool_ = std::make_unique<WorkerPool>(
        WorkerSetup{plugin, work_ / "fly", {}, std::max(1, flyWorkers)});
    tunePool_ = std::make_unique<WorkerPool>(WorkerSetup{plugin, work_ / "tune", {}, 1});
    sidePool_ = std::make_unique<WorkerPool>(WorkerSetup{plugin, work_ / "side", {}, 1});
    if (!game_.empty()) {
        WorkerSetup setup{plugin, game_, {}, 1};
        setup.gameFolder = true;
        gamePool_ = std::make_unique<WorkerPool>(setup);
    }
    ranges_ = flyPool_->sliderRanges();
    baseLabels_ = flyPool_->baseLabels();
    fs::create_directories(work_ / "files");
}

LabAdapter::~LabAdapter() = default;

json LabAdapter::vocabulary() const {
    return vocabularyJson(ranges_, !game_.empty());
}

json LabAdapter::presets() {
    std::vector<std::string> base;
    for (std::size_t i = 0; i < basePresetCount(); ++i) base.push_back(std::to_string(i));
    json baseList = json::array();
    {
        std::lock_guard lock(flyMutex_);
        const auto values = healed(*flyPool_, [&] { return presetSliders(*flyPool_, base); });
        for (std::size_t i = 0; i < values.size(); ++i)
            baseList.push_back({{"preset", base[i]},
                                {"label", i < baseLabels_.size() ? baseLabels_[i] : ""},
                                {"sliders", slidersJson(values[i])}});
    }
    json user = json::array();
    if (gamePool_) {
        std::lock_guard lock(gameMutex_);
        const auto names =
            healed(*gamePool_, [&] { return userPresetNames(*gamePool_, kMostUserPresets); });
        const auto values = healed(*gamePool_, [&] { return presetSliders(*gamePool_, names); });
        for (std::size_t i = 0; i < values.size(); ++i)
            user.push_back({{"preset", shownName(names[i])},
                            {"label", shownName(names[i])},
                            {"sliders", slidersJson(values[i])}});
    }
    return {{"base", baseList}, {"user", user}};
}

Setup LabAdapter::setupOf(const SetupRequest& r, const std::string& field) {
    Setup s;
    s.label = r.label;
    s.modelOn = r.modelOn;
    s.preset = r.preset;
    s.body = r.body;
    s.overrides = r.sliders;
    if (s.preset.empty() || isBasePreset(s.preset)) return s;
    // A user preset of the game folder: the values it sets, read there, fly on the flight
    // workers, followed by the request's own.
    const fs::path folder = game_.empty() ? fs::path() : presetFolderOf(game_);
    if (const std::string refusal = presetRefusal(s.preset, folder); !refusal.empty())
        throw RequestError{field + ".preset", refusal};
    SliderValues values;
    {
        std::lock_guard lock(gameMutex_);
        values = healed(*gamePool_, [&] { return presetSliders(*gamePool_, {s.preset}); }).front();
    }
    s.preset.clear();
    s.overrides.clear();
    for (Slider slider : kSliders) s.overrides.emplace_back(slider, values[slider]);
    s.overrides.insert(s.overrides.end(), r.sliders.begin(), r.sliders.end());
    return s;
}

std::string LabAdapter::fly(const FlyRequest& request, const std::string& client,
                            std::uint64_t ticket) {
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < request.setups.size(); ++i)
        jobs.push_back(flightJob(request.launch,
                                 setupOf(request.setups[i], "setups[" + std::to_string(i) + "]"),
                                 request.samples));
    std::lock_guard lock(flyMutex_);
    // A drag sends requests faster than they fly; only a client's newest is worth flying.
    if (tickets_.superseded(client, ticket)) throw WorkError{409, "superseded by a newer request"};
    const auto flights = healed(*flyPool_, [&] { return flyPool_->run(jobs); });
    return flyAnswer(flights, request.samples, request.launch.headingDeg, ticket);
}

json LabAdapter::grid(const GridRequest& r) {
    LaunchGrid grid;
    grid.axes = {{"pitch", r.pitchFrom, r.pitchTo, r.pitches},
                 {"speed", r.speedFrom, r.speedTo, r.speeds}};
    const Setup setup = setupOf(r.setup, "setup");
    Setup stock = setupFor("stock");
    stock.body = r.setup.body;
    std::vector<Job> jobs;
    for (std::size_t k = 0; k < grid.size(); ++k) {
        const Launch l = grid.launch(r.launch, k);
        jobs.push_back(flightJob(l, setup, false));
        jobs.push_back(flightJob(l, stock, false));
    }
    std::lock_guard lock(flyMutex_);
    return gridAnswer(grid, r.launch, healed(*flyPool_, [&] { return flyPool_->run(jobs); }));
}

json LabAdapter::tune(const TuneRequest& r, const TuneProgress& progress) {
    LabOptions o;
    o.launch = r.launch;
    o.bodies = {r.body};
    o.outDir = work_ / "tune-out";
    fs::create_directories(o.outDir);
    Tune t;
    t.seed = r.seed;
    t.fixed = r.fixed;
    t.targets = r.targets;
    if (r.start)
        for (Slider slider : kSliders) t.startValues.emplace_back(slider, (*r.start)[slider]);
    o.tune = t;
    TuneOutcome outcome;
    try {
        outcome = healed(*tunePool_, [&] { return searchTune(o, *tunePool_, progress); });
    } catch (const TuneCancelled& stop) {
        return {{"cancelled", true}, {"evaluations", stop.evaluations}};
    } catch (const UsageError& e) {
        throw RequestError{"targets", e.what()};
    }
    const auto rows = verdict(outcome.targets, outcome.flight.figures, t.tolerance);
    return {{"cancelled", false},
            {"evaluations", outcome.evaluations},
            {"sliders", slidersJson(outcome.values)},
            {"figures", figuresJson(outcome.flight.figures)},
            {"verdict", verdictJson(rows)},
            {"met", allMet(rows)}};
}

json LabAdapter::save(const SaveRequest& r) {
    if (!gamePool_)
        throw WorkError{409, "no game folder: start the workbench with --game DIR to save presets"};
    const fs::path file = presetFolderOf(game_) / (r.name + ".txt");
    std::lock_guard lock(gameMutex_);
    try {
        // Whether a preset of that name exists is looked at under the presets' lock, in the worker.
        healed(*gamePool_,
               [&] { return createPreset(*gamePool_, r.name, r.sliders, {}, !r.overwrite), 0; });
    } catch (const JobRefused& e) {
        // The name at fault, or another program's change in the way (try again later).
        const std::string why = e.what();
        if (why.find("exists already") != std::string::npos)
            throw RequestError{"name", why + ": save with overwrite to replace it"};
        if (!e.conflict) throw RequestError{"name", why};
        throw WorkError{409, why};
    }
    return {{"saved", shownName(r.name)},
            {"file", shownName(file.lexically_relative(game_).generic_string())}};
}

std::string LabAdapter::sideJobFile(const std::function<void(const fs::path&)>& job,
                                    const std::string& name) {
    const fs::path file = work_ / "files" / (std::to_string(++scratch_) + "-" + name);
    {
        std::lock_guard lock(sideMutex_);
        healed(*sidePool_, [&] { return job(file), 0; });
    }
    std::string bytes = readFile(file);
    fs::remove(file);
    return bytes;
}

std::string LabAdapter::hudPng(const HudRequest& r) {
    Job job;
    job.kind = Job::Kind::Draw;
    job.launch = r.launch;
    job.setup = setupOf(r.setup, "setup");
    job.drawTick = std::max(1, r.tick);
    return sideJobFile(
        [&](const fs::path& file) {
            job.file = file.string();
            sidePool_->fly(job);
        },
        "hud.png");
}

std::string LabAdapter::presetFile(const PresetFileRequest& r) {
    return sideJobFile(
        [&](const fs::path& file) { createPreset(*sidePool_, "download", r.sliders, file); },
        "preset.txt");
}

json LabAdapter::readPresetText(const PresetTextRequest& r) {
    std::lock_guard lock(sideMutex_);
    return {{"sliders", slidersJson(healed(*sidePool_, [&] {
                 return flightlab::readPresetText(*sidePool_, r.text);
             }))}};
}

}  // namespace flightlab::server
