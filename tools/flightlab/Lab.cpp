// The flight lab: flies the same launch for several set-ups and bodies and reports how and why
// each flies.
#include "Lab.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
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
#include "Serve.h"
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
        // At a preset's precision: the value flown is one a preset can keep.
        const float value = presetValue(s.from + (s.to - s.from) * i / (s.steps - 1));
        Setup setup = setupFor(s.preset);
        setup.overrides = {{s.slider, value}};
        setup.body = o.bodies.front();
        setup.label = std::string(sliderName(s.slider)) + " " + sliderText(value) + " on " + s.preset;
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
    if (l.headingDeg != 0) s << ", heading " << l.headingDeg << " deg";
    if (l.input.any())
        s << ", holding pitch " << l.input.pitch << " yaw " << l.input.yaw << " roll " << l.input.roll
          << " throttle " << l.input.throttle;
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
    void put(const std::string& text) { csv_.write(text.data(), text.size()); }
    const LabOptions& o_;
    fs::path file_;
    host::FileReplacement csv_;
    std::string header_;
};

// Why a slider can leave every flight of a sweep unchanged.
std::string noEffectReason(Slider slider) {
    if (slider == Slider::pitch || slider == Slider::roll || slider == Slider::yaw)
        return "The stabilisation sliders scale turns about world X, Y and Z (wl_pitch, wl_roll, "
               "wl_yaw), not the car's own axes: at a launch along world X, wl_pitch acts as the "
               "car's roll, and a car that does not turn about that axis is not stabilised; try "
               "--heading or --input";
    if (slider == Slider::air_density)
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
        out << "\nsweep of " << sliderName(o.sweep->slider) << " on " << o.sweep->preset << ":\n";
        writeTable(out, sweep);
        if (std::all_of(sweep.begin(), sweep.end(), [&](const Flight& f) { return sameFlight(f, sweep.front()); }))
            out << "every flight of the sweep is identical: " << sliderName(o.sweep->slider)
                << " changed nothing at this launch. " << noEffectReason(o.sweep->slider) << ".\n";
    }
}

// ALL is every flight flown, the compared set-ups' first; their trajectories are already on
// their way to the file.
void writeFiles(const LabOptions& o, TrajectoryWriter& trajectories, const std::vector<Flight>& flights,
                const std::vector<Flight>& sweep, std::ostream& err) {
    trajectories.commit(err);
    writeReport(o.outDir / "figures.csv",
                [&](std::ostream& s) {
                    writeFiguresCsv(s, flights);
                    // The sweep's rows follow without a second header.
                    std::ostringstream rows;
                    writeFiguresCsv(rows, sweep);
                    const std::string text = rows.str();
                    s << text.substr(text.find('\n') + 1);
                },
                err, "figures of every flight");
    writeReport(o.outDir / "presets.csv", [&](std::ostream& s) { writePresetsCsv(s, flights); },
                err, "slider values of every set-up");
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
            const std::string variable(sliderName(o.sweep->slider));
            const ColourScale scale{variable, o.sweep->from, o.sweep->to};
            return sideViewChart(sweep, o.launch, "Sweep of " + variable + " on " + o.sweep->preset + ", " + launch,
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
std::string drawHud(const LabOptions& o, const std::vector<Flight>& flights, WorkerPool& pool) {
    const Flight* flight = hudFlight(o, flights);
    if (flight == nullptr) return "";
    const fs::path hudPath = fs::absolute(o.outDir / "hud-apex.png");
    const int tick = std::max(1, flight->figures.apexTick);
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

// A sweep flies only values the plug-in accepts: it would clamp the others, and the flights
// would carry labels they did not fly.
void checkSweepRange(const Sweep& sweep, const SliderRanges& ranges) {
    for (double end : {sweep.from, sweep.to})
        if (const std::string refusal = sliderRefusal(sweep.slider, end, ranges); !refusal.empty())
            throw UsageError("option --sweep: " + refusal);
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
    char buf[400];
    std::snprintf(
        buf, sizeof buf,
        "this run would hold about %zu MB (%zu flights of up to %d ticks, %d workers), more "
        "than the %zu MB the lab allows itself: fly fewer set-ups, a shorter --time-limit "
        "or with fewer --workers (each holds the flights it is flying)",
        bytes >> 20, flights, ticksFor(o.launch.timeLimitS), workers, kMemoryLimitBytes >> 20);
    throw UsageError(buf);
}

int compare(const LabOptions& o, std::ostream& out, std::ostream& err) {
    const WorkFolder work(o.keepRuns ? o.outDir / "runs" : fs::path());
    const auto setups = comparisonSetups(o);
    std::vector<Setup> all = setups;
    const auto sweeps = sweepSetups(o);
    all.insert(all.end(), sweeps.begin(), sweeps.end());
    const int workers = workerCount(o.workers, all.size());
    checkMemory(o, all.size(), workers);
    WorkerPool pool(WorkerSetup{o.plugin, work.path(), userPresetFiles(o), workers});
    if (o.sweep) checkSweepRange(*o.sweep, pool.sliderRanges());
    TrajectoryWriter trajectories(o);
    std::vector<Flight> flights = flyAll(o, all, pool, trajectories, err);
    // The sweep's flights moved, not copied: a run holds each flight once.
    const auto sweepStart = flights.begin() + static_cast<long>(setups.size());
    const std::vector<Flight> sweep(std::make_move_iterator(sweepStart), std::make_move_iterator(flights.end()));
    flights.erase(sweepStart, flights.end());
    writeTables(o, flights, sweep, out);
    // The pictures take the longest: drawn on other threads, the HUD by a worker, while the files
    // are written.
    auto pictures = std::async(std::launch::async, [&] { return drawPictures(o, flights, sweep); });
    auto hud = std::async(std::launch::async, [&] { return drawHud(o, flights, pool); });
    writeFiles(o, trajectories, flights, sweep, err);
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

// Every set-up at every launch of the grid, stock on each body added as the reference when it is
// not flown; figures only, so that memory stays small whatever the grid.
int compareOverGrid(const LabOptions& o, std::ostream& out, std::ostream& err) {
    const WorkFolder work(o.keepRuns ? o.outDir / "runs" : fs::path());
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
    WorkerPool pool(WorkerSetup{o.plugin, work.path(), userPresetFiles(o), workerCount(o.workers, jobs.size())});
    Progress progress(err, o.progressBar, "flights", jobs.size());
    const std::vector<Flight> flown = pool.run(jobs, [&](std::size_t n) { progress.update(n); });
    progress.finish();
    labelBasePresets(r.setups, pool.baseLabels());
    std::vector<Flight> firsts;
    for (std::size_t s = 0; s < r.setups.size(); ++s) {
        firsts.push_back(flown[s * r.launches()]);
        firsts.back().setup.label = r.setups[s].label;
    }
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
    if (options.serve) {
        // The workbench writes nothing to the output folder; its workers play in a temporary one.
        const WorkFolder work{fs::path()};
        return runServe(options, work.path(), out, err);
    }
    checkOutputFolder(options.outDir);
    if (options.tune) {
        const WorkFolder work(options.keepRuns ? options.outDir / "runs" : fs::path());
        return runTune(options, WorkerSetup{options.plugin, work.path(), userPresetFiles(options), 1}, out, err);
    }
    if (options.launches) return compareOverGrid(options, out, err);
    return compare(options, out, err);
}

}  // namespace flightlab
