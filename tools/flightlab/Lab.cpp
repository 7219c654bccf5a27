// The flight lab: flies the same launch for several set-ups and bodies and reports how and why
// each flies.
#include "Lab.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "Engine.h"
#include "Plot.h"
#include "Progress.h"
#include "Report.h"
#include "Tune.h"
#include "Workers.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

bool isBaseIndex(const std::string& preset) {
    return preset.size() == 1 && preset[0] >= '0' && preset[0] <= '5';
}

// Where temporary folders go: TMPDIR when set, else the memory-backed /dev/shm when there, else
// the system's temporary folder. The game folders in them are small and live for one run, and
// removing a dozen folders from a disk can take as long as the flights.
fs::path temporaryParent() {
    std::error_code ec;
    if (std::getenv("TMPDIR") == nullptr && fs::is_directory("/dev/shm", ec) &&
        ::access("/dev/shm", W_OK | X_OK) == 0)
        return "/dev/shm";
    return fs::temp_directory_path();
}

// The folder the workers play in: OUT/runs with --keep-runs, else a temporary one removed at
// the end.
class WorkFolder {
public:
    explicit WorkFolder(const LabOptions& o) : keep_(o.keepRuns) {
        if (keep_) {
            path_ = fs::absolute(o.outDir / "runs");
            fs::create_directories(path_);
            return;
        }
        const fs::path parent = temporaryParent();
        std::string pattern = (parent / "wingleaf-flightlab-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder in " + parent.string());
        path_ = pattern;
    }
    ~WorkFolder() {
        std::error_code ec;
        if (!keep_) fs::remove_all(path_, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    bool keep_;
    fs::path path_;
};

std::vector<fs::path> userPresetFiles(const LabOptions& o) {
    std::vector<std::string> names = o.presets;
    if (o.sweep) names.push_back(o.sweep->preset);
    if (o.tune) names.push_back(o.tune->start);
    std::vector<fs::path> files;
    for (const auto& n : names)
        if (n != "stock" && !isBaseIndex(n)) files.push_back(o.presetDir / (n + ".txt"));
    return files;
}

std::vector<Setup> comparisonSetups(const LabOptions& o) {
    std::vector<Setup> setups;
    for (const auto& body : o.bodies) {
        for (const auto& p : o.presets) {
            Setup s = setupFor(p);
            s.body = body;
            setups.push_back(s);
        }
    }
    return setups;
}

// The sweep flies on the first body.
std::vector<Setup> sweepSetups(const LabOptions& o) {
    std::vector<Setup> setups;
    if (!o.sweep) return setups;
    const Sweep& s = *o.sweep;
    for (int i = 0; i < s.steps; ++i) {
        const double value = s.from + (s.to - s.from) * i / (s.steps - 1);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.5f", value);
        Setup setup = setupFor(s.preset);
        setup.overrides = {{s.variable, buf}};
        setup.body = o.bodies.front();
        std::snprintf(buf, sizeof buf, "%g", value);
        setup.label = s.variable + " " + buf + " on " + s.preset;
        setups.push_back(setup);
    }
    return setups;
}

std::vector<Job> flyJobs(const LabOptions& o, const std::vector<Setup>& setups) {
    std::vector<Job> jobs;
    for (const auto& s : setups) jobs.push_back(flightJob(o.launch, s));
    return jobs;
}

// The former path: one wingleaf-host process per flight, its state read back from text.
std::vector<Flight> flyInHosts(const LabOptions& o, const std::vector<Setup>& setups,
                               const fs::path& work, Progress& progress) {
    std::vector<Flight> flights;
    for (const auto& s : setups) {
        flights.push_back(flyInHost(o, s, work / ("flight" + std::to_string(flights.size() + 1))));
        progress.update(flights.size());
    }
    return flights;
}

void labelBasePresets(std::vector<Flight>& flights, const std::vector<std::string>& labels) {
    for (auto& f : flights) {
        if (!isBaseIndex(f.setup.label)) continue;
        const auto& name = labels[static_cast<std::size_t>(f.setup.label[0] - '0')];
        if (!name.empty()) f.setup.label += " " + name;
    }
}

std::string launchLine(const Launch& l) {
    std::ostringstream s;
    s << "launch: " << l.speedUu << " uu/s, pitched " << l.pitchDeg << " deg up, from "
      << l.heightUu << " uu high, boost held " << l.boostSeconds << " s";
    if (l.headingDeg != 0) s << ", heading " << l.headingDeg << " deg";
    if (l.input.any())
        s << ", holding pitch " << l.input.pitch << " yaw " << l.input.yaw << " roll " << l.input.roll
          << " throttle " << l.input.throttle;
    return s.str();
}

void writeFileChecked(const fs::path& path, const std::string& content) {
    fs::path tmp = path;
    tmp += ".part";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << content;
        out.close();
        if (!out) throw std::runtime_error("cannot write " + path.string());
    }
    fs::rename(tmp, path);
}

template <typename WriteFn>
void writeReport(const fs::path& path, WriteFn write, std::ostream& err, const std::string& what) {
    std::ostringstream text;
    write(text);
    writeFileChecked(path, text.str());
    err << "flightlab: " << what << ": " << path.string() << std::endl;
}

void writeKeptRuns(const LabOptions& o, const std::vector<Flight>& flights) {
    if (!o.keepRuns) return;
    for (std::size_t i = 0; i < flights.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "flight-%04zu.csv", i + 1);
        std::ostringstream csv;
        writeCsv(csv, {flights[i]});
        writeFileChecked(o.outDir / "runs" / name, csv.str());
    }
}

// Why a slider can leave every flight of a sweep unchanged.
std::string noEffectReason(const std::string& slider) {
    if (slider == "wl_pitch" || slider == "wl_roll" || slider == "wl_yaw")
        return "The stabilisation sliders scale turns about world X, Y and Z (wl_pitch, wl_roll, "
               "wl_yaw), not the car's own axes: at a launch along world X, wl_pitch acts as the "
               "car's roll, and a car that does not turn about that axis is not stabilised; try "
               "--heading or --input";
    if (slider == "wl_air_density")
        return "Air density scales every force of the model: check that the model is on in the "
               "sweep preset";
    return "The slider may act only where this launch does not reach, or the sweep preset's air "
           "density may be 0, which switches every other force of the model off";
}

bool sameFlight(const Flight& a, const Flight& b) {
    if (!(a.figures == b.figures) || a.samples.size() != b.samples.size()) return false;
    for (std::size_t i = 0; i < a.samples.size(); ++i) {
        const Sample &x = a.samples[i], &y = b.samples[i];
        if (x.x != y.x || x.y != y.y || x.z != y.z || x.vx != y.vx || x.vy != y.vy || x.vz != y.vz) return false;
    }
    return true;
}

void writeTables(const LabOptions& o, const std::vector<Flight>& flights,
                 const std::vector<Flight>& sweep, std::ostream& out) {
    out << launchLine(o.launch) << "\n\n";
    writeTable(out, flights);
    out << "\nslider values:\n";
    writeSliderTable(out, flights);
    if (!sweep.empty()) {
        out << "\nsweep of " << o.sweep->variable << " on " << o.sweep->preset << ":\n";
        writeTable(out, sweep);
        if (std::all_of(sweep.begin(), sweep.end(), [&](const Flight& f) { return sameFlight(f, sweep.front()); }))
            out << "every flight of the sweep is identical: " << o.sweep->variable
                << " changed nothing at this launch. " << noEffectReason(o.sweep->variable) << ".\n";
    }
}

// ALL is every flight flown, the compared set-ups' FLIGHTS first.
void writeFiles(const LabOptions& o, const std::vector<Flight>& all,
                const std::vector<Flight>& flights, std::ostream& err) {
    writeReport(o.outDir / "trajectories.csv", [&](std::ostream& s) { writeCsv(s, all); }, err,
                "trajectories of every flight");
    writeReport(o.outDir / "figures.csv", [&](std::ostream& s) { writeFiguresCsv(s, all); }, err,
                "figures of every flight");
    writeReport(o.outDir / "presets.csv", [&](std::ostream& s) { writePresetsCsv(s, flights); },
                err, "slider values of every set-up");
    writeKeptRuns(o, all);
}

void check(const std::string& error) {
    if (!error.empty()) throw std::runtime_error(error);
}

// Draws the pictures of the comparison; returns the lines that name them. The pictures take
// most of the lab's time: each is drawn on a thread of its own.
std::string drawPictures(const LabOptions& o, const std::vector<Flight>& flights,
                         const std::vector<Flight>& sweep) {
    const std::string launch = launchLine(o.launch);
    struct Picture {
        fs::path file;
        std::string what;
        std::future<std::string> drawn;
    };
    std::vector<Picture> pictures;
    const auto draw = [&](const char* name, std::string what, auto makeChart) {
        const fs::path file = o.outDir / name;
        pictures.push_back({file, std::move(what), std::async(std::launch::async, [file, makeChart] {
                                return writeChart(file, makeChart());
                            })});
    };
    draw("side-view.png", "side view",
         [&] { return sideViewChart(flights, o.launch, "Side view, " + launch); });
    if (!sweep.empty()) {
        draw("sweep.png", "sweep side view", [&] {
            const ColourScale scale{o.sweep->variable, o.sweep->from, o.sweep->to};
            return sideViewChart(sweep, o.launch,
                                 "Sweep of " + o.sweep->variable + " on " + o.sweep->preset + ", " + launch,
                                 &scale);
        });
    }
    draw("height-time.png", "height over time",
         [&] { return timeChart(flights, o.launch, Quantity::Height, "Height over time, " + launch); });
    draw("speed-time.png", "speed over time",
         [&] { return timeChart(flights, o.launch, Quantity::Speed, "Speed over time, " + launch); });
    draw("attitude-time.png", "pitch and angle of attack over time", [&] {
        return attitudeChart(flights, o.launch, "Pitch and angle of attack over time, " + launch);
    });
    std::string error, lines;
    for (auto& p : pictures) {
        error += p.drawn.get();
        lines += "flightlab: " + p.what + ": " + p.file.string() + "\n";
    }
    check(error);
    return lines;
}

const Flight* hudFlight(const LabOptions& o, const std::vector<Flight>& flights) {
    if (o.hudPreset.empty()) return nullptr;
    const Setup wanted = setupFor(o.hudPreset);
    for (const auto& f : flights)
        if (f.setup.preset == wanted.preset && f.setup.modelOn == wanted.modelOn) return &f;
    return nullptr;
}

// Draws the HUD at the top of its preset's flight; returns the line that names the picture, or
// "" when no HUD is asked for.
std::string drawHud(const LabOptions& o, const std::vector<Flight>& flights, WorkerPool* pool,
                    const fs::path& work) {
    const Flight* flight = hudFlight(o, flights);
    if (flight == nullptr) return "";
    const fs::path hudPath = fs::absolute(o.outDir / "hud-apex.png");
    const int tick = std::max(1, flight->figures.apexTick);
    if (pool != nullptr) {
        Job job;
        job.kind = Job::Kind::Draw;
        job.launch = o.launch;
        job.setup = flight->setup;
        job.drawTick = tick;
        job.file = hudPath.string();
        pool->fly(job);
    } else {
        const auto result = runScript(o.program, work / "hud",
                                      flightScript(o.launch, flight->setup, tick, hudPath.string()));
        if (result.exitCode != 0) throw std::runtime_error("wingleaf-host could not draw the HUD: " + result.err);
    }
    if (!fs::exists(hudPath)) throw std::runtime_error("the HUD picture was not drawn");
    return "flightlab: HUD at the top of the flight of " + flight->setup.label + ": " +
           (o.outDir / "hud-apex.png").string() + "\n";
}

// A sweep flies only values the plug-in accepts: it would clamp the others, and the flights
// would carry labels they did not fly.
void checkSweepRange(const Sweep& sweep, const std::array<SliderRange, kSliderCount>& ranges) {
    const SliderRange& r = ranges[static_cast<std::size_t>(sliderIndex(sweep.variable))];
    const double low = std::min(sweep.from, sweep.to), high = std::max(sweep.from, sweep.to);
    if (low >= r.min && high <= r.max) return;
    std::ostringstream s;
    s << "option --sweep: " << sweep.variable << " takes values from " << r.min << " to " << r.max
      << " (the plug-in's range), not " << sweep.from << " to " << sweep.to;
    throw UsageError(s.str());
}

// Flies every set-up, in workers (left in POOL for the HUD) or in one host process each, and
// names the base presets as the settings window does.
std::vector<Flight> flyAll(const LabOptions& o, const std::vector<Setup>& setups, const fs::path& work,
                           std::unique_ptr<WorkerPool>& pool, std::ostream& err) {
    Progress progress(err, o.progressBar, "flights", setups.size());
    std::vector<Flight> flown;
    std::vector<std::string> labels;
    if (o.hostProcesses) {
        flown = flyInHosts(o, setups, work, progress);
        labels = baseLabelsIn(work / "flight1");
    } else {
        pool = std::make_unique<WorkerPool>(
            WorkerSetup{o.program.plugin, work, userPresetFiles(o), workerCount(o.workers, setups.size())});
        if (o.sweep) checkSweepRange(*o.sweep, pool->sliderRanges());
        flown = pool->run(flyJobs(o, setups), [&](std::size_t n) { progress.update(n); });
        labels = pool->baseLabels();
    }
    progress.finish();
    labelBasePresets(flown, labels);
    return flown;
}

int compare(const LabOptions& o, std::ostream& out, std::ostream& err) {
    const WorkFolder work(o);
    const auto setups = comparisonSetups(o);
    std::vector<Setup> all = setups;
    const auto sweeps = sweepSetups(o);
    all.insert(all.end(), sweeps.begin(), sweeps.end());
    std::unique_ptr<WorkerPool> pool;
    const std::vector<Flight> flown = flyAll(o, all, work.path(), pool, err);
    const std::vector<Flight> flights(flown.begin(), flown.begin() + static_cast<long>(setups.size()));
    const std::vector<Flight> sweep(flown.begin() + static_cast<long>(setups.size()), flown.end());
    writeTables(o, flights, sweep, out);
    // The pictures take the longest: drawn on other threads, the HUD by a worker, while the files
    // are written.
    auto pictures = std::async(std::launch::async, [&] { return drawPictures(o, flights, sweep); });
    auto hud = std::async(std::launch::async, [&] { return drawHud(o, flights, pool.get(), work.path()); });
    writeFiles(o, flown, flights, err);
    const std::string lines = pictures.get();
    std::string hudLine;
    try {
        hudLine = hud.get();
    } catch (...) {
        err << lines << std::flush;
        throw;
    }
    err << lines << hudLine << std::flush;
    return 0;
}

// Every set-up at every launch of the grid, stock on each body added as the reference when it is
// not flown; figures only, so that memory stays small whatever the grid.
int compareOverGrid(const LabOptions& o, std::ostream& out, std::ostream& err) {
    const WorkFolder work(o);
    GridResult r;
    r.grid = *o.launches;
    r.base = o.launch;
    r.setups = comparisonSetups(o);
    for (const auto& body : o.bodies) {
        if (std::none_of(r.setups.begin(), r.setups.end(),
                         [&](const Setup& s) { return !s.modelOn && s.body == body; })) {
            Setup stock = setupFor("stock");
            stock.body = body;
            r.setups.push_back(stock);
        }
    }
    std::vector<Job> jobs;
    for (const auto& s : r.setups)
        for (std::size_t l = 0; l < r.launches(); ++l) jobs.push_back(flightJob(r.grid.launch(o.launch, l), s, false));
    WorkerPool pool(WorkerSetup{o.program.plugin, work.path(), userPresetFiles(o), workerCount(o.workers, jobs.size())});
    Progress progress(err, o.progressBar, "flights", jobs.size());
    const std::vector<Flight> flown = pool.run(jobs, [&](std::size_t n) { progress.update(n); });
    progress.finish();
    std::vector<Flight> firsts;
    for (std::size_t s = 0; s < r.setups.size(); ++s) firsts.push_back(flown[s * r.launches()]);
    labelBasePresets(firsts, pool.baseLabels());
    for (std::size_t s = 0; s < r.setups.size(); ++s) r.setups[s].label = firsts[s].setup.label;
    for (const auto& f : flown) r.figures.push_back(f.figures);

    out << launchLine(o.launch) << "\n" << "launch grid: " << r.launches() << " launches: " << r.grid.describe()
        << "\n\n";
    writeGridSummary(out, r);
    writeReport(o.outDir / "launches.csv", [&](std::ostream& s) { writeLaunchesCsv(s, r); }, err,
                "figures of every set-up at every launch");
    writeReport(o.outDir / "presets.csv", [&](std::ostream& s) { writePresetsCsv(s, firsts); }, err,
                "slider values of every set-up");
    std::vector<std::future<std::string>> drawn;
    std::vector<fs::path> files;
    for (const FigureField& field : kGridFigures) {
        files.push_back(o.outDir / ("grid-" + std::string(field.file) + ".png"));
        drawn.push_back(std::async(std::launch::async, [&r, &field, file = files.back()] {
            return writeHeatMap(file, gridHeatMap(r, field));
        }));
    }
    std::string error;
    for (auto& d : drawn) error += d.get();
    check(error);
    for (std::size_t i = 0; i < files.size(); ++i)
        err << "flightlab: " << kGridFigures[i].name << " against stock over the grid: " << files[i].string() << "\n";
    err << std::flush;
    return 0;
}

}  // namespace

int workerCount(int requested, std::size_t jobs) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int wanted = requested > 0 ? requested : cores;
    return std::max(1, std::min<int>(wanted, static_cast<int>(std::max<std::size_t>(jobs, 1))));
}

Setup setupFor(const std::string& preset) {
    Setup s;
    s.label = preset;
    if (preset != "stock") {
        s.modelOn = true;
        s.preset = preset;
    }
    return s;
}

Flight flyInHost(const LabOptions& options, const Setup& setup, const fs::path& root) {
    std::vector<fs::path> presetFiles;
    if (!setup.preset.empty() && !isBaseIndex(setup.preset))
        presetFiles.push_back(options.presetDir / (setup.preset + ".txt"));
    const HostOutput result =
        runScript(options.program, root, flightScript(options.launch, setup), presetFiles);
    if (result.exitCode != 0)
        throw std::runtime_error("wingleaf-host failed on " + setup.label + " (exit " +
                                 std::to_string(result.exitCode) + "): " + result.err);
    Flight flight;
    flight.setup = setup;
    flight.samples = parseSamples(result.out);
    flight.sliders = parseSliders(result.out);
    if (flight.samples.empty())
        throw std::runtime_error("wingleaf-host printed no car state for " + setup.label);
    summarise(flight, options.launch);
    return flight;
}

int runLab(const LabOptions& options, std::ostream& out, std::ostream& err) {
    fs::create_directories(options.outDir);
    if (options.tune) {
        const WorkFolder work(options);
        return runTune(options, WorkerSetup{options.program.plugin, work.path(), userPresetFiles(options), 1},
                       out, err);
    }
    if (options.launches) return compareOverGrid(options, out, err);
    return compare(options, out, err);
}

}  // namespace flightlab
