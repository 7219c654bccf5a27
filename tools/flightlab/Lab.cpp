// The flight lab: flies the same launch for several set-ups and bodies and reports how and why
// each flies.
#include "Lab.h"

#include <unistd.h>

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
#include "Serve.h"
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

int workerCount(const LabOptions& o, std::size_t jobs) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int wanted = o.workers > 0 ? o.workers : cores;
    return std::max(1, std::min<int>(wanted, static_cast<int>(std::max<std::size_t>(jobs, 1))));
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

void writeTables(const LabOptions& o, const std::vector<Flight>& flights,
                 const std::vector<Flight>& sweep, std::ostream& out) {
    out << launchLine(o.launch) << "\n\n";
    writeTable(out, flights);
    out << "\nslider values:\n";
    writeSliderTable(out, flights);
    if (!sweep.empty()) {
        out << "\nsweep of " << o.sweep->variable << " on " << o.sweep->preset << ":\n";
        writeTable(out, sweep);
    }
}

// ALL is every flight flown, the compared set-ups' FLIGHTS first.
void writeFiles(const LabOptions& o, const std::vector<Flight>& all,
                const std::vector<Flight>& flights, std::ostream& err) {
    writeReport(o.outDir / "trajectories.csv", [&](std::ostream& s) { writeCsv(s, all); }, err,
                "trajectories of every flight");
    writeReport(o.outDir / "presets.csv", [&](std::ostream& s) { writePresetsCsv(s, flights); },
                err, "slider values of every set-up");
    writeKeptRuns(o, all);
}

void check(const std::string& error) {
    if (!error.empty()) throw std::runtime_error(error);
}

// Draws the pictures of the comparison; returns the lines that name them. The time plots are
// drawn on threads of their own: the pictures take most of the lab's time.
std::string drawPictures(const LabOptions& o, const std::vector<Flight>& flights,
                         const std::vector<Flight>& sweep) {
    const std::string launch = launchLine(o.launch);
    const fs::path side = o.outDir / "side-view.png", height = o.outDir / "height-time.png",
                   speed = o.outDir / "speed-time.png";
    auto heightPlot = std::async(std::launch::async, [&] {
        return writeTimePlot(height, flights, Quantity::Height, "Height over time, " + launch);
    });
    auto speedPlot = std::async(std::launch::async, [&] {
        return writeTimePlot(speed, flights, Quantity::Speed, "Speed over time, " + launch);
    });
    std::string error = writeSideView(side, flights, "Side view, " + launch);
    std::string lines = "flightlab: side view: " + side.string() + "\n";
    if (!sweep.empty()) {
        const fs::path sweepPath = o.outDir / "sweep.png";
        const ColourScale scale{o.sweep->variable, o.sweep->from, o.sweep->to};
        error += writeSideView(sweepPath, sweep, "Sweep of " + o.sweep->variable + " on " +
                                                     o.sweep->preset + ", " + launch, &scale);
        lines += "flightlab: sweep side view: " + sweepPath.string() + "\n";
    }
    error += heightPlot.get();
    error += speedPlot.get();
    check(error);
    return lines + "flightlab: height over time: " + height.string() + "\nflightlab: speed over time: " +
           speed.string() + "\n";
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
    const int tick = std::max(1, flight->apexTick);
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
            WorkerSetup{o.program.plugin, work, userPresetFiles(o), workerCount(o, setups.size())});
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

}  // namespace

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
    if (options.serve) {
        // The workbench writes nothing to the output folder; its workers play in a temporary one.
        LabOptions temporary = options;
        temporary.keepRuns = false;
        const WorkFolder work(temporary);
        return runServe(options, work.path(), out, err);
    }
    fs::create_directories(options.outDir);
    if (options.tune) {
        const WorkFolder work(options);
        WorkerPool pool(WorkerSetup{options.program.plugin, work.path(), userPresetFiles(options), 1});
        return runTune(options, pool, out, err);
    }
    return compare(options, out, err);
}

}  // namespace flightlab
