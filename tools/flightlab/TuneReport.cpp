// Designing a preset from the command line: the restarts on their pools, the tuned preset saved
// and flown, and the report of it against the targets.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>

#include "Interrupt.h"
#include "PresetJobs.h"
#include "Report.h"
#include "TuneSearch.h"

namespace flightlab {

namespace fs = std::filesystem;
using namespace tuning;

namespace {

// Launches listed as the worst of a grid tune.
constexpr std::size_t kWorstLaunches = 5;

// The exit status of a tune whose preset the plug-in did not install.
constexpr int kNotInstalled = 4;

// True when the plug-in saved the preset; else says why not. A preset of that name made while
// the tune ran is replaced only with --force: it is looked for again under the presets' lock.
bool installInGame(const LabOptions& o, const SliderValues& values, std::ostream& err) {
    const Tune& t = *o.tune;
    WorkerSetup setup{o.plugin, t.game, {}, 1};
    setup.gameFolder = true;
    WorkerPool game(setup);
    try {
        createPreset(game, t.name, values, {}, !t.force);
    } catch (const JobRefused& e) {
        err << "flightlab: the preset '" << t.name << "' was not installed: " << e.what()
            << (e.conflict && !t.force ? " (--force replaces it)" : "") << std::endl;
        return false;
    }
    err << "flightlab: installed the preset '" << t.name << "' in " << t.game.string() << std::endl;
    return true;
}

// The name is judged by the plug-in's own rules, by creating the preset in a worker's scratch
// game folder before any flight: a refused name would otherwise fail after the whole tune.
void checkTuneName(WorkerPool& pool, const std::string& name) {
    try {
        createPreset(pool, name, SliderValues{});
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        throw UsageError("option --tune-name: the plug-in refuses the name '" + name +
                         "': " + refusalReason(e, name));
    }
}

std::string targetLine(const char* name, int decimals, double got,
                       const std::optional<double>& target) {
    char buf[200];
    if (target)
        std::snprintf(buf, sizeof buf, "  %-18s %12.*f  target %12.*f  (%+.2f %%)\n", name,
                      decimals, got, decimals, *target, (got - *target) / *target * 100);
    else
        std::snprintf(buf, sizeof buf, "  %-18s %12.*f\n", name, decimals, got);
    return buf;
}

void printTargets(std::ostream& out, const TuneTargets& t, const Figures& f) {
    for (const TargetFigure& figure : kTargetFigures)
        out << targetLine(figure.name, figure.decimals, f.*figure.figure, t.*figure.target);
}

// One line per missed target, "" when every target is met within the tolerance.
std::string misses(const TuneTargets& targets, double tolerance, const Figures& f) {
    std::string lines;
    for (const VerdictRow& row : verdict(targets, f, tolerance)) {
        if (row.met) continue;
        char buf[200];
        if (row.cutOff) {
            std::snprintf(buf, sizeof buf,
                          "  %-18s still airborne at the time limit, target %.*f\n",
                          row.figure->name, row.figure->decimals, row.target);
            lines += buf;
        } else {
            lines += targetLine(row.figure->name, row.figure->decimals, row.flown, row.target);
        }
    }
    return lines;
}

std::string launchText(const Launch& l, const LaunchGrid& grid) {
    std::string s;
    for (const auto& axis : grid.axes) {
        for (const GridPart& p : kGridParts) {
            if (axis.name != p.name) continue;
            char buf[64];
            std::snprintf(buf, sizeof buf, "%s%s %g", s.empty() ? "" : ", ", p.name, l.*p.field);
            s += buf;
        }
    }
    return s;
}

// Flies the saved preset at every launch of the grid, prints its figures over the grid and the
// worst launches; returns the missed targets ("" when every launch meets them).
std::string reportGrid(std::ostream& out, const LabOptions& o, WorkerPool& pool,
                       const Scoring& scoring) {
    Setup tunedSetup = setupFor("tuned");
    tunedSetup.body = o.bodies.front();
    std::vector<Job> jobs;
    for (const Launch& l : scoring.launches) jobs.push_back(flightJob(l, tunedSetup, false));
    const auto flights = pool.run(jobs);
    std::vector<std::pair<double, std::size_t>> errors;
    std::size_t missing = 0;
    std::string firstMiss;
    for (std::size_t l = 0; l < flights.size(); ++l) {
        errors.emplace_back(tuneError(scoring.targets[l], flights[l].figures), l);
        const std::string m = misses(scoring.targets[l], o.tune->tolerance, flights[l].figures);
        if (!m.empty() && missing++ == 0)
            firstMiss = "  at " + launchText(scoring.launches[l], *o.launches) + ":\n" + m;
    }
    std::sort(errors.begin(), errors.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    out << "\nworst launches (error against the targets there):\n";
    char buf[240];
    for (std::size_t i = 0; i < std::min(kWorstLaunches, errors.size()); ++i) {
        const auto l = errors[i].second;
        const Figures& f = flights[l].figures;
        std::snprintf(
            buf, sizeof buf,
            "  %-44s error %7.2f %%  airtime %7.3f  distance %9.1f  top %8.1f  landing %7.1f\n",
            launchText(scoring.launches[l], *o.launches).c_str(), errors[i].first * 100, f.airtimeS,
            f.distanceUu, f.topHeightUu, f.landingSpeedUu);
        out << buf;
    }
    if (missing == 0) return "";
    std::snprintf(buf, sizeof buf, "  %zu of %zu launches miss a target; the first:\n", missing,
                  flights.size());
    return buf + firstMiss;
}

void printRestarts(std::ostream& out, const std::vector<Restart>& restarts, std::size_t best) {
    if (restarts.size() < 2) return;
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (const auto& r : restarts) lo = std::min(lo, r.error), hi = std::max(hi, r.error);
    char buf[160];
    std::snprintf(buf, sizeof buf, "restarts: %zu, best seed %u; error from %.3f %% to %.3f %%\n",
                  restarts.size(), restarts[best].seed, lo * 100, hi * 100);
    out << buf;
    for (const auto& r : restarts) {
        std::snprintf(buf, sizeof buf, "  seed %-10u error %8.3f %%  after %d flights\n", r.seed,
                      r.error * 100, r.evaluations);
        out << buf;
    }
    out << "\n";
}

// One pool of one worker per thread of restarts. A worker forked later holds copies of the
// earlier pools' pipes, so the earlier workers see their end only once it is gone: the pools end
// newest first.
struct Pools {
    std::vector<std::unique_ptr<WorkerPool>> pools;
    Pools(const WorkerSetup& workers, int threads) {
        for (int i = 0; i < threads; ++i) {
            WorkerSetup setup = workers;
            setup.workers = 1;
            setup.workDir /= "restart-" + std::to_string(i + 1);
            pools.push_back(std::make_unique<WorkerPool>(setup));
        }
    }
    ~Pools() {
        while (!pools.empty()) pools.pop_back();
    }
};

}  // namespace

int runTune(const LabOptions& o, const WorkerSetup& workers, std::ostream& out, std::ostream& err) {
    const Tune& t = *o.tune;
    const auto began = std::chrono::steady_clock::now();
    const int threads = std::max(
        1, std::min(t.restarts, workerCount(o.workers, static_cast<std::size_t>(t.restarts))));
    Pools pools(workers, threads);
    WorkerPool& pool = *pools.pools.front();
    checkFixedValues(t, pool.sliderRanges(), "option --tune-fix: ");
    if (!t.name.empty()) checkTuneName(pool, t.name);
    const SliderValues start = startValuesFor(o, pool);

    const Scoring scoring = scoringFor(o, pool);
    Progress progress(err, o.progressBar, "tuning", budgetOf(t, scoring), 0);
    const std::vector<Restart> restarts = runRestarts(o, pools.pools, scoring, start, progress);
    progress.finish();
    std::size_t best = 0;
    for (std::size_t i = 1; i < restarts.size(); ++i)
        if (restarts[i].error < restarts[best].error) best = i;
    const SliderValues values = restarts[best].values;
    int evaluations = 0;
    for (const auto& r : restarts) evaluations += r.evaluations;

    const fs::path file = o.outDir / "tuned.txt";
    // An interrupted tune saves the best values so far; the workers may be mid-flight, so a
    // fresh one saves them.
    int interrupted = 0;
    for (const auto& r : restarts) interrupted = interrupted != 0 ? interrupted : r.interrupted;
    std::optional<StopsDeferred> finishing;
    std::optional<WorkerPool> saver;
    if (interrupted != 0) {
        finishing.emplace();
        WorkerSetup setup = pool.setup();
        setup.workDir /= "saving";
        setup.workers = 1;
        saver.emplace(setup);
    }
    // The figures reported are the saved preset's: the values rounded as the file keeps them.
    const Flight tuned = saveAndFly(o, saver ? *saver : pool, values, file);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const std::size_t flights = static_cast<std::size_t>(evaluations) * scoring.launches.size();
    char buf[240];
    std::snprintf(buf, sizeof buf,
                  "%s on %s after %zu flights in %.1f s%s, from preset %s (seed %u)\n\n",
                  interrupted != 0 ? "tuning interrupted" : "tuned", o.bodies.front().c_str(),
                  flights, seconds, interrupted != 0 ? ": the best preset so far" : "",
                  t.start.c_str(), restarts[best].seed);
    out << buf;
    printRestarts(out, restarts, best);
    out << "slider values:\n";
    writeSliderTable(out, {tuned});
    std::string missed;
    if (!o.launches) {
        out << "\ntuned flight against the targets:\n";
        printTargets(out, scoring.targets.front(), tuned.figures);
        out << "\n";
        writeTable(out, {tuned});
        missed = misses(scoring.targets.front(), t.tolerance, tuned.figures);
    } else if (interrupted == 0) {
        missed = reportGrid(out, o, pool, scoring);
    }
    err << "flightlab: tuned preset" << (interrupted != 0 ? " (interrupted: the best so far)" : "")
        << ": " << file.string() << " (fly it with --presets tuned --preset-dir "
        << o.outDir.string() << ")" << std::endl;
    if (interrupted != 0) {
        if (!t.name.empty())
            err << "flightlab: the interrupted tune installs nothing in " << t.game.string()
                << std::endl;
        return 128 + interrupted;
    }
    if (!missed.empty()) {
        std::snprintf(buf, sizeof buf, "\ntargets not met (tolerance %g %%):\n", t.tolerance * 100);
        out << buf << missed;
    }
    if (!t.name.empty()) {
        if (!missed.empty() && !t.force)
            err << "flightlab: the preset '" << t.name
                << "' was not installed: targets not met (--force installs it)" << std::endl;
        else if (!installInGame(o, values, err))
            return kNotInstalled;
    }
    return missed.empty() ? 0 : 3;
}

}  // namespace flightlab
