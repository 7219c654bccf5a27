// The one place where the workbench meets the lab's engine, workers, figures and tuner.
#include "LabAdapter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>

#include "Chart.h"
#include "Figures.h"
#include "Healing.h"
#include "Tune.h"
#include "Workers.h"

namespace flightlab::server {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// At most this many user presets are listed from a game folder.
constexpr std::size_t kMaxUserPresets = 200;
// The newest fly ticket of at most this many clients is kept.
constexpr std::size_t kMaxClients = 1024;
// A tune target counts as met within this relative error.
constexpr double kTargetMetWithin = 0.01;

std::string valueText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

std::vector<std::string> valueTexts(const SliderValues& values) {
    std::vector<std::string> texts;
    for (double v : values) texts.push_back(valueText(v));
    return texts;
}

json slidersJson(const SliderValues& values) {
    json j = json::object();
    for (std::size_t i = 0; i < kSliderCount; ++i) j[std::string(kSliderNames[i])] = values[i];
    return j;
}

Setup setupOf(const SetupRequest& r) {
    Setup s;
    s.label = r.label;
    s.modelOn = r.modelOn;
    s.preset = r.preset;
    s.body = r.body;
    for (const auto& [index, value] : r.sliders)
        s.overrides.emplace_back(std::string(kSliderNames[static_cast<std::size_t>(index)]), valueText(value));
    return s;
}

json figuresJson(const Flight& flight) {
    const Figures& f = flight.figures;
    return {{"landed", f.landed},
            {"airtime", f.airtimeS},
            {"distance", f.distanceUu},
            {"top", f.topHeightUu},
            {"landingSpeed", f.landingSpeedUu},
            {"apexTick", f.apexTick}};
}

// One sample with what its columns derive from it, each worked out once.
struct SampleRow {
    const Sample* s;
    Attitude attitude;
    double along, side;
};

// The samples are written straight to text, column after column: the answer to a slider move
// is mostly these numbers, and each is written at the precision a plot or a table can show.
struct Column {
    const char* name;
    double scale;  // the value is written to 1/scale: 10 is a tenth, 1e4 a ten-thousandth
    double (*of)(const SampleRow& r);
};

// Positions, speeds and angles to a tenth (a tenth of a uu, uu/s or degree is far below what a
// plot or the state table shows), time to a millisecond (a tick is 8.3 ms), the quaternion to a
// ten-thousandth (a box drawn from it turns by well under a tenth of a degree).
constexpr Column kColumns[] = {
    {"t", 1e3, [](const SampleRow& r) { return r.s->tick * kTickS; }},
    {"x", 10, [](const SampleRow& r) { return r.s->x; }},
    {"y", 10, [](const SampleRow& r) { return r.s->y; }},
    {"z", 10, [](const SampleRow& r) { return r.s->z; }},
    {"vz", 10, [](const SampleRow& r) { return r.s->vz; }},
    {"speed", 10, [](const SampleRow& r) { return std::sqrt(r.s->vx * r.s->vx + r.s->vy * r.s->vy + r.s->vz * r.s->vz); }},
    {"along", 10, [](const SampleRow& r) { return r.along; }},
    {"side", 10, [](const SampleRow& r) { return r.side; }},
    {"pitch", 10, [](const SampleRow& r) { return r.attitude.pitchDeg; }},
    {"aoa", 10, [](const SampleRow& r) { return r.attitude.angleOfAttackDeg; }},
    {"qw", 1e4, [](const SampleRow& r) { return r.s->qw; }},
    {"qx", 1e4, [](const SampleRow& r) { return r.s->qx; }},
    {"qy", 1e4, [](const SampleRow& r) { return r.s->qy; }},
    {"qz", 1e4, [](const SampleRow& r) { return r.s->qz; }},
};

// V rounded to 1/SCALE, in the shortest text that reads back as that value ("12.3", "0", "-4");
// null if it is not a number, as JSON has no NaN.
void appendRounded(std::string& out, double v, double scale) {
    double r = std::round(v * scale) / scale;
    if (!std::isfinite(r)) {
        out += "null";
        return;
    }
    if (r == 0) r = 0;  // no "-0"
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, r).ptr;
    out.append(buf, end);
}

// The trajectory as columns: time, world place, climb rate and speed, the distance along the
// launch heading and sideways from it, the car's attitude (degrees) and orientation
// (quaternion, the game's axes) at each tick, as a JSON object's text.
void appendSamples(std::string& out, const Flight& f, double headingDeg) {
    std::vector<SampleRow> rows;
    rows.reserve(f.samples.size());
    for (const Sample& s : f.samples) {
        const Sample& release = f.samples.front();
        rows.push_back({&s, attitudeOf(s), alongHeading(release, s, headingDeg), sideOfHeading(release, s, headingDeg)});
    }
    out += '{';
    bool firstColumn = true;
    for (const Column& c : kColumns) {
        if (!firstColumn) out += ',';
        firstColumn = false;
        out += '"';
        out += c.name;
        out += "\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i > 0) out += ',';
            appendRounded(out, c.of(rows[i]), c.scale);
        }
        out += ']';
    }
    out += '}';
}

// One flight of a fly answer: its set-up, figures and, if asked, its samples.
void appendFlight(std::string& out, const Flight& f, bool samples, double headingDeg) {
    const json j = {{"label", f.setup.label},
                    {"body", f.setup.body},
                    {"model", f.setup.modelOn},
                    {"figures", figuresJson(f)},
                    {"sliders", f.setup.modelOn ? slidersJson(f.sliders) : json(nullptr)}};
    std::string head = j.dump();
    if (!samples) {
        out += head;
        return;
    }
    head.pop_back();  // the closing brace: the samples follow
    out += head;
    out += ",\"samples\":";
    appendSamples(out, f, headingDeg);
    out += '}';
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return bytes.str();
}

// Writes a file so that it is either absent or complete.
void writeWhole(const fs::path& file, const std::string& bytes) {
    fs::path part = file;
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << bytes;
        out.close();
        if (!out) throw std::runtime_error("cannot write " + file.string());
    }
    fs::rename(part, file);
}

Job flyJob(const Launch& launch, const Setup& setup, bool keepSamples) {
    return flightJob(launch, setup, keepSamples);
}

}  // namespace

LabAdapter::LabAdapter(const fs::path& plugin, const fs::path& work, const fs::path& game, int flyWorkers)
    : work_(fs::absolute(work)), game_(game.empty() ? fs::path() : fs::absolute(game)) {
    flyPool_ = std::make_unique<WorkerPool>(WorkerSetup{plugin, work_ / "fly", {}, std::max(1, flyWorkers)});
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
    json sliders = json::array();
    for (std::size_t i = 0; i < kSliderCount; ++i)
        sliders.push_back({{"name", std::string(kSliderNames[i])},
                           {"min", ranges_[i].min},
                           {"max", ranges_[i].max},
                           {"default", ranges_[i].defaultValue}});
    json bodies = json::array();
    for (const Body& b : kBodies)
        bodies.push_back({{"name", std::string(b.name)}, {"length", b.lengthUu}, {"width", b.widthUu}, {"height", b.heightUu}});
    const Launch l;
    return {{"sliders", sliders},
            {"bodies", bodies},
            {"launch", {{"speed", l.speedUu}, {"pitch", l.pitchDeg}, {"height", l.heightUu},
                        {"boostTime", l.boostSeconds}, {"timeLimit", l.timeLimitS}, {"heading", l.headingDeg},
                        {"input", {{"pitch", 0}, {"yaw", 0}, {"roll", 0}, {"throttle", 0}}}}},
            {"limits", {{"timeLimit", kMaxTimeLimitS}, {"setups", kMaxSetups}, {"gridSide", kMaxGridSide}}},
            {"tickSeconds", kTickS},
            {"stockColours", {{"above", cssColour(kAboveStock)}, {"below", cssColour(kBelowStock)}}},
            {"game", !game_.empty()}};
}

json LabAdapter::presets() {
    std::vector<Job> jobs;
    for (int i = 0; i <= 5; ++i) {
        Setup s;
        s.label = std::to_string(i);
        s.modelOn = true;
        s.preset = s.label;
        jobs.push_back(flyJob(Launch{}, s, false));
    }
    json base = json::array();
    {
        std::lock_guard lock(flyMutex_);
        const auto flights = healed(*flyPool_, [&] { return flyPool_->run(jobs); });
        for (std::size_t i = 0; i < flights.size(); ++i)
            base.push_back({{"preset", std::to_string(i)},
                            {"label", i < baseLabels_.size() ? baseLabels_[i] : ""},
                            {"sliders", slidersJson(flights[i].sliders)}});
    }
    json user = json::array();
    if (gamePool_) {
        std::vector<std::string> names;
        const std::set<std::string> listed = userPresetsListedIn(game_);
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(game_ / "bakkesmod/wingleaf", ec)) {
            const fs::path& p = entry.path();
            if (p.extension() != ".txt" || !entry.is_regular_file(ec)) continue;
            const std::string name = p.stem().string();
            // As the game's drop-down offers them: a file its list does not name is no preset.
            if (nameProblem(name).empty() && listed.count(name) != 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        if (names.size() > kMaxUserPresets) names.resize(kMaxUserPresets);
        std::vector<Job> userJobs;
        for (const auto& name : names) {
            Setup s;
            s.label = name;
            s.modelOn = true;
            s.preset = name;
            userJobs.push_back(flyJob(Launch{}, s, false));
        }
        std::lock_guard lock(gameMutex_);
        const auto flights = healed(*gamePool_, [&] { return gamePool_->run(userJobs); });
        for (std::size_t i = 0; i < flights.size(); ++i)
            user.push_back({{"preset", shownName(names[i])},
                            {"label", shownName(names[i])},
                            {"sliders", slidersJson(flights[i].sliders)}});
    }
    return {{"base", base}, {"user", user}};
}

std::uint64_t LabAdapter::nextTicket(const std::string& client) {
    std::lock_guard lock(ticketMutex_);
    // The clients of long ago are forgotten: a page that is still open just flies its next request.
    if (clientTickets_.size() >= kMaxClients && clientTickets_.count(client) == 0)
        clientTickets_.erase(
            std::min_element(clientTickets_.begin(), clientTickets_.end(),
                             [](const auto& a, const auto& b) { return a.second < b.second; }));
    return clientTickets_[client] = ++lastTicket_;
}

std::string LabAdapter::fly(const FlyRequest& request, const std::string& client,
                            std::uint64_t ticket) {
    std::vector<Job> jobs;
    for (const auto& s : request.setups) jobs.push_back(flyJob(request.launch, setupOf(s), request.samples));
    std::lock_guard lock(flyMutex_);
    // A drag sends requests faster than they fly; only a client's newest is worth flying.
    {
        std::lock_guard tickets(ticketMutex_);
        const auto newest = clientTickets_.find(client);
        if (newest != clientTickets_.end() && ticket < newest->second)
            throw WorkError{409, "superseded by a newer request"};
    }
    const auto flights = healed(*flyPool_, [&] { return flyPool_->run(jobs); });
    std::size_t samples = 0;
    for (const auto& f : flights) samples += f.samples.size();
    std::string out;
    out.reserve(1024 * flights.size() + samples * std::size(kColumns) * 8);  // about 8 bytes a value
    out += "{\"flights\":[";
    for (std::size_t i = 0; i < flights.size(); ++i) {
        if (i > 0) out += ',';
        appendFlight(out, flights[i], request.samples, request.launch.headingDeg);
    }
    out += "],\"ticket\":" + std::to_string(ticket) + '}';
    return out;
}

json LabAdapter::grid(const GridRequest& r) {
    std::vector<Job> jobs;
    Setup stock;
    stock.label = "stock";
    stock.body = r.setup.body;
    const Setup setup = setupOf(r.setup);
    std::vector<double> speeds, pitches;
    for (int i = 0; i < r.speeds; ++i) speeds.push_back(r.speedFrom + (r.speedTo - r.speedFrom) * i / (r.speeds - 1));
    for (int j = 0; j < r.pitches; ++j) pitches.push_back(r.pitchFrom + (r.pitchTo - r.pitchFrom) * j / (r.pitches - 1));
    for (double pitch : pitches) {
        for (double speed : speeds) {
            Launch l = r.launch;
            l.speedUu = speed;
            l.pitchDeg = pitch;
            jobs.push_back(flyJob(l, setup, false));
            jobs.push_back(flyJob(l, stock, false));
        }
    }
    std::vector<Flight> flights;
    {
        std::lock_guard lock(flyMutex_);
        flights = healed(*flyPool_, [&] { return flyPool_->run(jobs); });
    }
    json cells = json::array();
    for (std::size_t k = 0; k + 1 < flights.size(); k += 2) {
        const Flight& f = flights[k];
        const Flight& s = flights[k + 1];
        const std::size_t cell = k / 2;
        cells.push_back({{"speed", speeds[cell % speeds.size()]},
                         {"pitch", pitches[cell / speeds.size()]},
                         {"setup", figuresJson(f)},
                         {"stock", figuresJson(s)},
                         {"distanceGain", f.figures.distanceUu - s.figures.distanceUu},
                         {"airtimeGain", f.figures.airtimeS - s.figures.airtimeS}});
    }
    return {{"speeds", speeds}, {"pitches", pitches}, {"cells", cells}};
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
    if (r.start)
        for (std::size_t i = 0; i < kSliderCount; ++i)
            t.startValues.emplace_back(std::string(kSliderNames[i]), valueText((*r.start)[i]));
    // Targets relative to stock are taken from stock's flight of the same launch.
    Flight stock;
    const bool relative = r.airtime.relativeToStock || r.distance.relativeToStock || r.top.relativeToStock ||
                          r.landing.relativeToStock;
    if (relative) {
        Setup s;
        s.label = "stock";
        s.body = r.body;
        stock = healed(*tunePool_, [&] { return tunePool_->fly(flyJob(r.launch, s, false)); });
    }
    auto target = [](const TargetRequest& req, double stockFigure) -> std::optional<double> {
        if (req.value) return req.value;
        if (req.relativeToStock) return *req.relativeToStock * stockFigure;
        return std::nullopt;
    };
    t.targets.airtimeS = target(r.airtime, stock.figures.airtimeS);
    t.targets.distanceUu = target(r.distance, stock.figures.distanceUu);
    t.targets.topHeightUu = target(r.top, stock.figures.topHeightUu);
    t.targets.landingSpeedUu = target(r.landing, stock.figures.landingSpeedUu);
    for (const auto* v : {&t.targets.airtimeS, &t.targets.distanceUu, &t.targets.topHeightUu, &t.targets.landingSpeedUu})
        if (*v && !(**v > 0)) throw RequestError{"targets", "stock's figure is zero: give an absolute target"};
    o.tune = t;
    TuneOutcome outcome;
    try {
        outcome = healed(*tunePool_, [&] { return searchTune(o, *tunePool_, progress); });
    } catch (const TuneCancelled& stop) {
        return {{"cancelled", true}, {"evaluations", stop.evaluations}};
    }
    json verdict = json::array();
    bool allMet = true;
    auto judge = [&](const char* figure, const std::optional<double>& want, double got) {
        if (!want) return;
        const double miss = (got - *want) / *want;
        // A flight still airborne at the time limit has no airtime of its own: never a match.
        const bool cutOff = std::string_view(figure) == "airtime" && !outcome.flight.figures.landed;
        const bool met = std::abs(miss) <= kTargetMetWithin && !cutOff;
        allMet = allMet && met;
        verdict.push_back({{"figure", figure}, {"target", *want}, {"got", got}, {"miss", miss}, {"met", met}});
    };
    judge("airtime", t.targets.airtimeS, outcome.flight.figures.airtimeS);
    judge("distance", t.targets.distanceUu, outcome.flight.figures.distanceUu);
    judge("top", t.targets.topHeightUu, outcome.flight.figures.topHeightUu);
    judge("landingSpeed", t.targets.landingSpeedUu, outcome.flight.figures.landingSpeedUu);
    return {{"cancelled", false},
            {"evaluations", outcome.evaluations},
            {"sliders", slidersJson(outcome.values)},
            {"figures", figuresJson(outcome.flight)},
            {"verdict", verdict},
            {"met", allMet}};
}

json LabAdapter::save(const SaveRequest& r) {
    if (!gamePool_)
        throw WorkError{409, "no game folder: start the workbench with --game DIR to save presets"};
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = r.name;
    create.setup.preset = r.name;
    create.values = valueTexts(r.sliders);
    // Whether a preset of that name exists is looked at under the presets' lock, in the worker.
    create.onlyNew = !r.overwrite;
    std::lock_guard lock(gameMutex_);
    try {
        healed(*gamePool_, [&] { return gamePool_->fly(create); });
    } catch (const JobRefused& e) {
        // The name at fault, or another program's change in the way (try again later).
        const std::string why = e.what();
        if (why.find("exists already") != std::string::npos)
            throw RequestError{"name", why + ": save with overwrite to replace it"};
        if (!e.conflict) throw RequestError{"name", why};
        throw WorkError{409, why};
    }
    return {{"saved", shownName(r.name)},
            {"file", shownName((fs::path("bakkesmod/wingleaf") / (r.name + ".txt")).string())}};
}

std::string LabAdapter::sideJobFile(Job job, const std::string& stem, const std::string& extension) {
    const fs::path file = work_ / "files" / (stem + "-" + std::to_string(++scratch_) + extension);
    job.file = file.string();
    {
        std::lock_guard lock(sideMutex_);
        healed(*sidePool_, [&] { return sidePool_->fly(job); });
    }
    std::string bytes = readFile(file);
    fs::remove(file);
    return bytes;
}

std::string LabAdapter::hudPng(const HudRequest& r) {
    Job job;
    job.kind = Job::Kind::Draw;
    job.launch = r.launch;
    job.setup = setupOf(r.setup);
    job.drawTick = std::max(1, r.tick);
    return sideJobFile(job, "hud", ".png");
}

std::string LabAdapter::presetFile(const PresetFileRequest& r) {
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = "download";
    create.setup.preset = "download";
    create.values = valueTexts(r.sliders);
    return sideJobFile(create, "preset", ".txt");
}

json LabAdapter::readPresetText(const PresetTextRequest& r) {
    Setup s;
    s.label = "dropped";
    s.modelOn = true;
    s.preset = "dropped";
    std::lock_guard lock(sideMutex_);
    writeWhole(work_ / "side/worker-0/bakkesmod/wingleaf/dropped.txt", r.text);
    const Flight f = healed(*sidePool_, [&] { return sidePool_->fly(flyJob(Launch{}, s, false)); });
    return {{"sliders", slidersJson(f.sliders)}};
}

}  // namespace flightlab::server
