// The flight lab: flies the same launch for several set-ups and bodies and reports how and why
// each flies.
#include "Lab.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "Engine.h"
#include "Interrupt.h"
#include "common/AtomicFile.h"
#include "Plot.h"
#include "Progress.h"
#include "Report.h"
#include "Tune.h"
#include "WorkFolder.h"
#include "Workers.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> userPresetFiles(const LabOptions& o) {
    std::vector<std::string> names = o.presets;
    if (o.sweep) names.push_back(o.sweep->preset);
    if (o.tune) names.push_back(o.tune->start);
    std::vector<fs::path> files;
    for (const auto& n : names)
        if (n != "stock" && !isBasePreset(n)) files.push_back(o.presetDir / (n + ".txt"));
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

void labelBasePresets(std::vector<Setup>& setups, const std::vector<std::string>& labels) {
    for (auto& s : setups) {
        if (!isBasePreset(s.label)) continue;
        const auto& name = labels.at(std::stoul(s.label));
        if (!name.empty()) s.label += " " + name;
    }
}

std::string launchLine(const Launch& l) {
    std::ostringstream s;
    s << "launch: " << l.speedUu << " uu/s, pitched " << l.pitchDeg << " deg up, from "
      << l.heightUu << " uu high, boost held " << l.boostSeconds << " s";
    return s.str();
}

void writeFileChecked(const fs::path& path, const std::string& content) {
    std::string error;
    if (!host::replaceFile(path, content, error)) throw std::runtime_error(error);
}

template <typename WriteFn>
void writeReport(const fs::path& path, WriteFn write, std::ostream& err, const std::string& what) {
    std::ostringstream text;
    write(text);
    writeFileChecked(path, text.str());
    err << "flightlab: " << what << ": " << path.string() << std::endl;
}

// trajectories.csv written as the flights arrive, and with --keep-runs each flight's own file,
// so that no run holds every trajectory: a flight keeps only what its pictures can show.
class TrajectoryWriter {
public:
    explicit TrajectoryWriter(const LabOptions& o) : o_(o), file_(o.outDir / "trajectories.csv"), csv_(file_) {
        if (!csv_.open()) throw std::runtime_error(csv_.error());
        std::ostringstream header;
        writeCsvHeader(header);
        header_ = header.str();
        put(header_);
    }
    void add(std::size_t index, Flight& flight) {
        std::ostringstream rows;
        writeCsvRows(rows, flight);
        put(rows.str());
        if (o_.keepRuns) {
            char name[32];
            std::snprintf(name, sizeof name, "flight-%04zu.csv", index + 1);
            writeFileChecked(o_.outDir / "runs" / name, header_ + rows.str());
        }
        keepAtMost(flight, kPictureSamples);
    }
    void commit(std::ostream& err) {
        if (!csv_.commit()) throw std::runtime_error(csv_.error());
        err << "flightlab: trajectories of every flight: " << file_.string() << std::endl;
    }

private:
    void put(const std::string& text) { std::fwrite(text.data(), 1, text.size(), csv_.stream()); }
    const LabOptions& o_;
    fs::path file_;
    host::FileReplacement csv_;
    std::string header_;
};

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

void writeFiles(const LabOptions& o, TrajectoryWriter& trajectories, const std::vector<Flight>& flights,
                std::ostream& err) {
    trajectories.commit(err);
    writeReport(o.outDir / "presets.csv", [&](std::ostream& s) { writePresetsCsv(s, flights); },
                err, "slider values of every set-up");
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
std::string drawHud(const LabOptions& o, const std::vector<Flight>& flights, WorkerPool& pool) {
    const Flight* flight = hudFlight(o, flights);
    if (flight == nullptr) return "";
    const fs::path hudPath = fs::absolute(o.outDir / "hud-apex.png");
    const int tick = std::max(1, flight->apexTick);
    Job job;
    job.kind = Job::Kind::Draw;
    job.launch = o.launch;
    job.setup = flight->setup;
    job.drawTick = tick;
    job.file = hudPath.string();
    pool.fly(job);
    if (!fs::exists(hudPath)) throw std::runtime_error("the HUD picture was not drawn");
    return "flightlab: HUD at the top of the flight of " + flight->setup.label + ": " +
           (o.outDir / "hud-apex.png").string() + "\n";
}

// Flies every set-up in the workers, its base presets named as the settings window names them,
// each trajectory written as it arrives.
std::vector<Flight> flyAll(const LabOptions& o, std::vector<Setup> setups, WorkerPool& pool,
                           TrajectoryWriter& trajectories, std::ostream& err) {
    labelBasePresets(setups, pool.baseLabels());
    Progress progress(err, o.progressBar, "flights", setups.size());
    std::vector<Flight> flown = pool.fly(o.launch, setups, [&](std::size_t n) { progress.update(n); },
                                         [&](std::size_t i, Flight& f) { trajectories.add(i, f); });
    progress.finish();
    return flown;
}

void checkMemory(const LabOptions& o, std::size_t flights, int workers) {
    const std::size_t bytes = estimatedPeakBytes(o.launch, flights, workers);
    if (bytes <= kMemoryLimitBytes) return;
    char buf[300];
    std::snprintf(buf, sizeof buf,
                  "this run would hold about %zu MB (%zu flights of up to %d ticks), more than the "
                  "%zu MB the lab allows itself: fly fewer set-ups or a shorter --time-limit",
                  bytes >> 20, flights, ticksFor(o.launch.timeLimitS), kMemoryLimitBytes >> 20);
    throw UsageError(buf);
}

int compare(const LabOptions& o, std::ostream& out, std::ostream& err) {
    const WorkFolder work(o.keepRuns ? o.outDir / "runs" : fs::path());
    const auto setups = comparisonSetups(o);
    std::vector<Setup> all = setups;
    const auto sweeps = sweepSetups(o);
    all.insert(all.end(), sweeps.begin(), sweeps.end());
    const int workers = workerCount(o, all.size());
    checkMemory(o, all.size(), workers);
    WorkerPool pool(WorkerSetup{o.plugin, work.path(), userPresetFiles(o), workers});
    TrajectoryWriter trajectories(o);
    const std::vector<Flight> flown = flyAll(o, all, pool, trajectories, err);
    const std::vector<Flight> flights(flown.begin(), flown.begin() + static_cast<long>(setups.size()));
    const std::vector<Flight> sweep(flown.begin() + static_cast<long>(setups.size()), flown.end());
    writeTables(o, flights, sweep, out);
    // The pictures take the longest: drawn on other threads, the HUD by a worker, while the files
    // are written.
    auto pictures = std::async(std::launch::async, [&] { return drawPictures(o, flights, sweep); });
    auto hud = std::async(std::launch::async, [&] { return drawHud(o, flights, pool); });
    writeFiles(o, trajectories, flights, err);
    const std::string lines = pictures.get();
    std::string hudLine;
    try {
        hudLine = hud.get();
    } catch (...) {
        err << lines << std::flush;
        throw;
    }
    err << lines << hudLine << std::flush;
    throwIfStopped();
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

std::size_t estimatedPeakBytes(const Launch& launch, std::size_t flights, int workers) {
    const auto samples = static_cast<std::size_t>(ticksFor(launch.timeLimitS)) + 1;
    // The program itself with the plug-in, Cairo and the pictures being drawn.
    constexpr std::size_t kBaseBytes = std::size_t{48} << 20;
    // A sample decoded, and its bytes in a reply and a CSV row while a flight arrives.
    constexpr std::size_t kArrivingBytesPerSample = sizeof(Sample) + 32 + 128;
    const std::size_t kept = flights * (std::min(samples, kPictureSamples) * sizeof(Sample) + 512);
    // Each worker holds two jobs; their whole flights can wait for an earlier one.
    const std::size_t arriving = (2 * static_cast<std::size_t>(workers) + 1) * samples * kArrivingBytesPerSample;
    return kBaseBytes + kept + arriving;
}

void checkOutputFolder(const fs::path& dir) {
    const std::string what = "cannot write to the output folder " + dir.string() + ": ";
    std::error_code ec;
    if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) throw std::runtime_error(what + std::strerror(ENOTDIR));
    fs::create_directories(dir, ec);
    if (ec) throw std::runtime_error(what + ec.message());
    // A read-only or full device shows now, on a probe written and synced there, rather than
    // after the flights.
    const fs::path probe = dir / ".wingleaf-flightlab-probe";
    const int fd = host::createFreshFile(probe);
    if (fd < 0) throw std::runtime_error(what + std::strerror(errno));
    const std::string block(4096, '\n');
    const bool written = ::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size());
    const int writeErrno = errno;
    const bool synced = written && ::fsync(fd) == 0;
    const int syncErrno = errno;
    ::close(fd);
    fs::remove(probe, ec);
    if (!written) throw std::runtime_error(what + std::strerror(writeErrno != 0 ? writeErrno : ENOSPC));
    if (!synced) throw std::runtime_error(what + std::strerror(syncErrno));
}

int runLab(const LabOptions& options, std::ostream& out, std::ostream& err) {
    checkOutputFolder(options.outDir);
    if (options.tune) {
        const WorkFolder work(options.keepRuns ? options.outDir / "runs" : fs::path());
        WorkerPool pool(WorkerSetup{options.plugin, work.path(), userPresetFiles(options), 1});
        return runTune(options, pool, out, err);
    }
    return compare(options, out, err);
}

}  // namespace flightlab
