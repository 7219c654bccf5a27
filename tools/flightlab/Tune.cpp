// Designing a preset: NLopt searches the free sliders, within their console ranges, for the
// flight closest to the targets.
#include "Tune.h"

#include <nlopt.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <ostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "Interrupt.h"
#include "Progress.h"
#include "Report.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

// Evaluation budgets of the two stages, and the error at which the search stops early.
constexpr int kGlobalEvaluations = 1500;
constexpr int kLocalEvaluations = 1000;
constexpr int kGridEvaluations = 1000;
constexpr double kGoodEnoughError = 2e-4;
// The exit status of a tune whose preset the plug-in did not install.
constexpr int kNotInstalled = 4;
// Over a grid of launches each evaluation flies every launch: the budgets shrink so that a tune
// flies at most about this many times the one-launch budget, and never below a tenth of it.
constexpr double kGridFlightsFactor = 6;

double budgetShare(std::size_t launches) {
    return std::clamp(kGridFlightsFactor / static_cast<double>(std::max<std::size_t>(1, launches)), 0.1, 1.0);
}
// Preset files keep three decimals; the tuned values are rounded to them.
constexpr double kPresetStep = 0.001;
// Air density scales every aerodynamic force, and three decimals of it are coarse: near zero one
// step changes the forces by a large fraction, and at zero the other sliders do nothing. The
// search keeps it above this value, where a step is a small change that the others make up.
constexpr double kLowestSearchedDensity = 0.02;
constexpr int kDensity = static_cast<int>(sliderIndex(Slider::air_density));

std::string valueText(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

SliderValues rounded(const SliderValues& v, const std::array<SliderRange, kSliderCount>& ranges) {
    SliderValues r{};
    for (std::size_t i = 0; i < kSliderCount; ++i)
        r[i] = std::clamp(std::round(v[i] / kPresetStep) * kPresetStep, ranges[i].min, ranges[i].max);
    return r;
}

// Over several launches a preset should hold at every one: the mean error and the worst
// launch's error, half each.
double gridError(const std::vector<Flight>& flights, const std::vector<TuneTargets>& targets) {
    if (flights.size() == 1) return tuneError(targets.front(), flights.front().figures);
    double sum = 0, worst = 0;
    for (std::size_t l = 0; l < flights.size(); ++l) {
        const double e = tuneError(targets[l], flights[l].figures);
        sum += e;
        worst = std::max(worst, e);
    }
    return 0.5 * sum / static_cast<double>(flights.size()) + 0.5 * worst;
}

// Reports a search's progress: its evaluations so far and its best error.
using SearchProgress = std::function<void(int evaluations, double bestError)>;

struct Search {
    Search(const LabOptions& o, WorkerPool& p, SearchProgress pr) : options(o), pool(p), progress(std::move(pr)) {}
    const LabOptions& options;
    WorkerPool& pool;
    SearchProgress progress;
    SliderValues start{};
    std::vector<int> free;       // indexes of the sliders searched
    SliderValues fixedValues{};  // every slider's value when not searched
    int evaluations = 0;
    // What stopped the search inside NLopt (a failed flight, an interrupt), thrown again after.
    std::exception_ptr failure;
    double bestError = HUGE_VAL;
    std::vector<double> best;
    // On the grid the search flies only values a preset file can hold, so that flying the saved
    // preset gives the figures found.
    bool onGrid = false;
    TuneWatch watch;

    SliderValues valuesAt(const std::vector<double>& x) const {
        SliderValues v = fixedValues;
        for (std::size_t i = 0; i < free.size(); ++i) v[static_cast<std::size_t>(free[i])] = x[i];
        if (onGrid) return rounded(v, pool.sliderRanges());
        v[static_cast<std::size_t>(kDensity)] = std::round(v[static_cast<std::size_t>(kDensity)] / kPresetStep) * kPresetStep;
        return v;
    }
    // The launches scored, with the absolute targets at each.
    std::vector<Launch> launches;
    std::vector<TuneTargets> targets;
    // The most evaluations this search makes.
    int budget() const {
        return static_cast<int>((kGlobalEvaluations + kLocalEvaluations + kGridEvaluations) * budgetShare(launches.size()));
    }

    std::vector<Flight> fly(const SliderValues& values) {
        Setup setup;
        setup.label = "tuned";
        setup.modelOn = true;
        setup.body = options.bodies.front();
        for (std::size_t i = 0; i < kSliderCount; ++i)
            setup.overrides.emplace_back(std::string(kSliderNames[i]), valueText(values[i], onGrid ? 3 : 5));
        std::vector<Job> jobs;
        for (const Launch& l : launches) jobs.push_back(flightJob(l, setup, false));
        return pool.run(jobs);
    }
    double evaluate(const std::vector<double>& x) {
        throwIfStopped();
        const double e = gridError(fly(valuesAt(x)), targets);
        ++evaluations;
        if (e < bestError) bestError = e, best = x;
        if (progress) progress(evaluations, bestError);
        if (watch && !watch(evaluations, budget(), bestError)) throw TuneCancelled{evaluations};
        return e;
    }
};

double objective(unsigned, const double* x, double*, void* data) {
    auto* s = static_cast<Search*>(data);
    try {
        return s->evaluate(std::vector<double>(x, x + s->free.size()));
    } catch (...) {
        // NLopt would turn it into a bare "nlopt failure": kept, and the search stopped.
        s->failure = std::current_exception();
        throw nlopt::forced_stop();
    }
}

// One stage; NLopt's own stop (budget or good enough) is a normal end.
void runStage(Search& s, nlopt::algorithm algorithm, int budget, std::vector<double>& x) {
    const auto& ranges = s.pool.sliderRanges();
    std::vector<double> lo, hi;
    for (int i : s.free) {
        const double min = ranges[static_cast<std::size_t>(i)].min;
        lo.push_back(i == kDensity ? std::max(min, kLowestSearchedDensity) : min);
        hi.push_back(ranges[static_cast<std::size_t>(i)].max);
    }
    nlopt::opt opt(algorithm, static_cast<unsigned>(s.free.size()));
    opt.set_lower_bounds(lo);
    opt.set_upper_bounds(hi);
    opt.set_min_objective(objective, &s);
    opt.set_maxeval(budget);
    opt.set_stopval(kGoodEnoughError);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = std::clamp(x[i], lo[i], hi[i]);
    double value = 0;
    try {
        opt.optimize(x, value);
    } catch (const nlopt::roundoff_limited&) {
    } catch (const nlopt::forced_stop&) {
    }
    if (s.failure) std::rethrow_exception(std::exchange(s.failure, nullptr));
    if (!s.best.empty()) x = s.best;
}

// Moves one slider at a time by grid steps from coarse to fine while that lowers the error: the
// rounding to the preset file's three decimals can move a sensitive slider (air density) by
// much, and the others make up for it.
void polishOnGrid(Search& s, std::vector<double>& x, int budget) {
    s.onGrid = true;
    s.bestError = HUGE_VAL;
    s.evaluate(x);
    const int stop = s.evaluations + budget;
    const auto& ranges = s.pool.sliderRanges();
    for (double step = 0.256; step >= kPresetStep / 2 && s.bestError > kGoodEnoughError; step /= 4) {
        bool improved = true;
        while (improved && s.evaluations < stop && s.bestError > kGoodEnoughError) {
            improved = false;
            for (std::size_t i = 0; i < x.size() && s.evaluations < stop; ++i) {
                const SliderRange& r = ranges[static_cast<std::size_t>(s.free[i])];
                for (double dir : {1.0, -1.0}) {
                    std::vector<double> y = s.best;
                    y[i] = std::clamp(y[i] + dir * step, r.min, r.max);
                    const double before = s.bestError;
                    if (s.evaluate(y) < before) improved = true;
                }
            }
        }
    }
    x = s.best;
}

void checkFixedValues(const Tune& tune, const std::array<SliderRange, kSliderCount>& ranges) {
    for (const auto& [index, value] : tune.fixed) {
        const SliderRange& r = ranges[static_cast<std::size_t>(index)];
        if (value < r.min || value > r.max) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "option --tune-fix: %s takes a value from %g to %g, not %g",
                          std::string(kSliderNames[static_cast<std::size_t>(index)]).c_str(), r.min,
                          r.max, value);
            throw UsageError(buf);
        }
    }
}

std::vector<std::string> valueTexts(const SliderValues& v) {
    std::vector<std::string> texts;
    for (double x : v) texts.push_back(valueText(x, 3));
    return texts;
}

// Saves the values as a preset through the plug-in and flies that preset.
Flight saveAndFly(const Search& s, WorkerPool& pool, const SliderValues& values, const fs::path& file) {
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = "tuned";
    create.setup.preset = "tuned";
    create.values = valueTexts(values);
    create.file = fs::absolute(file).string();
    pool.fly(create);
    Job fly;
    fly.launch = s.options.launch;
    fly.setup.label = "tuned";
    fly.setup.modelOn = true;
    fly.setup.preset = "tuned";
    fly.setup.body = s.options.bodies.front();
    return pool.fly(fly);
}

// True when the plug-in saved the preset; else says why not. A preset of that name made while
// the tune ran is replaced only with --force: it is looked for again under the presets' lock.
bool installInGame(const LabOptions& o, const SliderValues& values, std::ostream& err) {
    const Tune& t = *o.tune;
    WorkerSetup setup{o.plugin, t.game, {}, 1};
    setup.gameFolder = true;
    WorkerPool game(setup);
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = t.name;
    create.setup.preset = t.name;
    create.values = valueTexts(values);
    create.onlyNew = !t.force;
    try {
        game.fly(create);
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
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = name;
    create.setup.preset = name;
    try {
        pool.fly(create);
    } catch (const Interrupted&) {
        throw;
    } catch (const std::exception& e) {
        const std::string what = e.what(), lead = "did not create the preset " + name + ": ";
        const auto at = what.find(lead);
        throw UsageError("option --tune-name: the plug-in refuses the name '" + name + "': " +
                         (at == std::string::npos ? what : what.substr(at + lead.size())));
    }
}

void printTargets(std::ostream& out, const TuneTargets& t, const Figures& f) {

    auto row = [&](const char* name, const std::optional<double>& target, double got, int decimals) {
        char buf[160];
        if (target)
            std::snprintf(buf, sizeof buf, "  %-18s %12.*f  target %12.*f  (%+.2f %%)\n", name, decimals,
                          got, decimals, *target, (got - *target) / *target * 100);
        else
            std::snprintf(buf, sizeof buf, "  %-18s %12.*f\n", name, decimals, got);
        out << buf;
    };
    row("airtime s", t.airtimeS, f.airtimeS, 3);
    row("distance uu", t.distanceUu, f.distanceUu, 1);
    row("top height uu", t.topHeightUu, f.topHeightUu, 1);
    row("landing speed uu/s", t.landingSpeedUu, f.landingSpeedUu, 1);
}

// The launches a tune scores and the absolute targets at each.
struct Scoring {
    std::vector<Launch> launches;
    std::vector<TuneTargets> targets;
};

// What one search from one seed found.
struct Restart {
    unsigned seed = 0;
    SliderValues values{};
    double error = HUGE_VAL;
    int evaluations = 0;
    int interrupted = 0;  // the stop signal that ended the search early, or 0
};

// The fixed values and free sliders of the search, from the start preset's values.
Search prepared(const LabOptions& o, WorkerPool& pool, const Scoring& scoring, const SliderValues& start,
                SearchProgress progress) {
    Search s(o, pool, std::move(progress));
    s.launches = scoring.launches;
    s.targets = scoring.targets;
    s.start = s.fixedValues = start;
    for (const auto& [index, value] : o.tune->fixed) s.fixedValues[static_cast<std::size_t>(index)] = value;
    for (int i = 0; i < static_cast<int>(kSliderCount); ++i) {
        bool fixed = false;
        for (const auto& f : o.tune->fixed) fixed = fixed || f.first == i;
        if (!fixed) s.free.push_back(i);
    }
    return s;
}

// A global stage, a local refinement, then the preset file's grid. NLopt's random numbers are
// per thread, so searches on several threads each repeat exactly for their seed.
Restart searchFrom(const LabOptions& o, WorkerPool& pool, const Scoring& scoring, const SliderValues& start,
                   unsigned seed, SearchProgress progress, const TuneWatch& watch = {}) {
    Search s = prepared(o, pool, scoring, start, std::move(progress));
    s.watch = watch;
    std::vector<double> x;
    for (int i : s.free) x.push_back(s.start[static_cast<std::size_t>(i)]);
    nlopt::srand(seed);
    int interrupted = 0;
    try {
        if (!s.free.empty()) {
            const double share = budgetShare(s.launches.size());
            if (s.evaluate(x) > kGoodEnoughError)
                runStage(s, nlopt::GN_CRS2_LM, static_cast<int>(kGlobalEvaluations * share), x);
            if (s.bestError > kGoodEnoughError)
                runStage(s, nlopt::LN_BOBYQA, static_cast<int>(kLocalEvaluations * share), x);
            polishOnGrid(s, x, static_cast<int>(kGridEvaluations * share));
        } else {
            s.onGrid = true;
            s.evaluate(x);
        }
    } catch (const Interrupted& stop) {
        // The best values so far are still worth having.
        interrupted = stop.signal;
        if (!s.best.empty()) x = s.best;
    }
    return Restart{seed, s.valuesAt(x), s.bestError, s.evaluations, interrupted};
}

// Runs the restarts on as many threads as there are pools, each thread flying in its own pool.
std::vector<Restart> runRestarts(const LabOptions& o, const std::vector<std::unique_ptr<WorkerPool>>& pools,
                                 const Scoring& scoring, const SliderValues& start, Progress& progress) {
    const int count = o.tune->restarts;
    std::vector<Restart> results(static_cast<std::size_t>(count));
    std::vector<int> done(static_cast<std::size_t>(count), 0);
    double best = HUGE_VAL;
    std::mutex mutex;
    const auto report = [&](int k, int evaluations, double error) {
        const std::lock_guard lock(mutex);
        done[static_cast<std::size_t>(k)] = evaluations;
        best = std::min(best, error);
        std::size_t total = 0;
        for (int n : done) total += static_cast<std::size_t>(n);
        char note[64];
        std::snprintf(note, sizeof note, "best error %.3f %%", best * 100);
        progress.update(total, note);
    };
    std::vector<std::future<void>> threads;
    for (std::size_t t = 0; t < pools.size(); ++t) {
        threads.push_back(std::async(std::launch::async, [&, t] {
            for (int k = static_cast<int>(t); k < count; k += static_cast<int>(pools.size()))
                results[static_cast<std::size_t>(k)] =
                    searchFrom(o, *pools[t], scoring, start, o.tune->seed + static_cast<unsigned>(k),
                               [&, k](int n, double e) { report(k, n, e); });
        }));
    }
    for (auto& t : threads) t.get();
    return results;
}

// The launches of the grid (or the one launch), and stock's flights there when a target is
// relative to them.
Scoring scoringFor(const LabOptions& o, WorkerPool& pool) {
    Scoring sc;
    if (o.launches)
        for (std::size_t l = 0; l < o.launches->size(); ++l) sc.launches.push_back(o.launches->launch(o.launch, l));
    else
        sc.launches.push_back(o.launch);
    sc.targets.assign(sc.launches.size(), o.tune->targets);
    if (!o.tune->targets.anyRelative()) return sc;
    Setup stock = setupFor("stock");
    stock.body = o.bodies.front();
    std::vector<Job> jobs;
    for (const Launch& l : sc.launches) jobs.push_back(flightJob(l, stock, false));
    const auto flights = pool.run(jobs);
    for (std::size_t l = 0; l < flights.size(); ++l) sc.targets[l] = o.tune->targets.against(flights[l].figures);
    return sc;
}

// One line per missed target, "" when every target is met within the tolerance. A flight still
// airborne at the time limit never meets an airtime target.
std::string misses(const TuneTargets& targets, double tolerance, const Figures& f) {
    std::string lines;
    const auto check = [&](const char* name, const std::optional<double>& target, double got, int decimals) {
        if (!target) return;
        const double miss = (got - *target) / *target;
        char buf[200];
        if (std::string(name) == "airtime s" && !f.landed)
            std::snprintf(buf, sizeof buf, "  %-18s still airborne at the time limit, target %.*f\n", name,
                          decimals, *target);
        else if (std::abs(miss) > tolerance)
            std::snprintf(buf, sizeof buf, "  %-18s %12.*f  target %12.*f  (%+.2f %%)\n", name, decimals, got,
                          decimals, *target, miss * 100);
        else
            return;
        lines += buf;
    };
    check("airtime s", targets.airtimeS, f.airtimeS, 3);
    check("distance uu", targets.distanceUu, f.distanceUu, 1);
    check("top height uu", targets.topHeightUu, f.topHeightUu, 1);
    check("landing speed uu/s", targets.landingSpeedUu, f.landingSpeedUu, 1);
    return lines;
}

// Launches listed as the worst of a grid tune.
constexpr std::size_t kWorstLaunches = 5;

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
std::string reportGrid(std::ostream& out, const LabOptions& o, WorkerPool& pool, const Scoring& scoring) {
    Setup tunedSetup;
    tunedSetup.label = "tuned";
    tunedSetup.modelOn = true;
    tunedSetup.preset = "tuned";
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
        if (!m.empty() && missing++ == 0) firstMiss = "  at " + launchText(scoring.launches[l], *o.launches) + ":\n" + m;
    }
    std::sort(errors.begin(), errors.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    out << "\nworst launches (error against the targets there):\n";
    char buf[240];
    for (std::size_t i = 0; i < std::min(kWorstLaunches, errors.size()); ++i) {
        const auto l = errors[i].second;
        const Figures& f = flights[l].figures;
        std::snprintf(buf, sizeof buf, "  %-44s error %7.2f %%  airtime %7.3f  distance %9.1f  top %8.1f  landing %7.1f\n",
                      launchText(scoring.launches[l], *o.launches).c_str(), errors[i].first * 100, f.airtimeS,
                      f.distanceUu, f.topHeightUu, f.landingSpeedUu);
        out << buf;
    }
    if (missing == 0) return "";
    std::snprintf(buf, sizeof buf, "  %zu of %zu launches miss a target; the first:\n", missing, flights.size());
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
        std::snprintf(buf, sizeof buf, "  seed %-10u error %8.3f %%  after %d flights\n", r.seed, r.error * 100,
                      r.evaluations);
        out << buf;
    }
    out << "\n";
}

// The start preset's slider values, with the tune's start values set after it.
SliderValues startValuesFor(const LabOptions& o, WorkerPool& pool) {
    const Tune& t = *o.tune;
    Setup startSetup = setupFor(t.start);
    startSetup.body = o.bodies.front();
    for (const auto& [slider, value] : t.startValues) startSetup.overrides.emplace_back(slider, value);
    return pool.fly(flightJob(o.launch, startSetup, false)).sliders;
}

}  // namespace

TuneTargets TuneTargets::against(const Figures& stock) const {
    TuneTargets t = *this;
    if (relative.airtime && airtimeS) t.airtimeS = *airtimeS * stock.airtimeS;
    if (relative.distance && distanceUu) t.distanceUu = *distanceUu * stock.distanceUu;
    if (relative.top && topHeightUu) t.topHeightUu = *topHeightUu * stock.topHeightUu;
    if (relative.landing && landingSpeedUu) t.landingSpeedUu = *landingSpeedUu * stock.landingSpeedUu;
    t.relative = {};
    return t;
}

TuneOutcome searchTune(const LabOptions& o, WorkerPool& pool, const TuneWatch& watch) {
    checkFixedValues(*o.tune, pool.sliderRanges());
    const SliderValues start = startValuesFor(o, pool);
    const Scoring scoring = scoringFor(o, pool);
    const Restart r = searchFrom(o, pool, scoring, start, o.tune->seed, {}, watch);
    if (r.interrupted != 0) throw Interrupted(r.interrupted);
    TuneOutcome outcome;
    outcome.evaluations = r.evaluations;
    outcome.values = r.values;
    Search s(o, pool, {});
    outcome.flight = saveAndFly(s, pool, outcome.values, o.outDir / "tuned.txt");
    return outcome;
}

double tuneError(const TuneTargets& t, const Figures& f) {
    double e = 0;
    if (t.airtimeS) e += std::abs(f.airtimeS - *t.airtimeS) / *t.airtimeS;
    // A flight cut off at the limit has no airtime of its own: it is never a match.
    if (t.airtimeS && !f.landed) e += 1;
    if (t.distanceUu) e += std::abs(f.distanceUu - *t.distanceUu) / *t.distanceUu;
    if (t.topHeightUu) e += std::abs(f.topHeightUu - *t.topHeightUu) / *t.topHeightUu;
    if (t.landingSpeedUu) e += std::abs(f.landingSpeedUu - *t.landingSpeedUu) / *t.landingSpeedUu;
    return e;
}

int runTune(const LabOptions& o, const WorkerSetup& workers, std::ostream& out, std::ostream& err) {
    const Tune& t = *o.tune;
    const auto began = std::chrono::steady_clock::now();
    // One pool of one worker per thread of restarts.
    const int threads = std::max(1, std::min(t.restarts, workerCount(o.workers, static_cast<std::size_t>(t.restarts))));
    std::vector<std::unique_ptr<WorkerPool>> pools;
    // A worker forked later holds copies of the earlier pools' pipes, so the earlier workers
    // see their end only once it is gone: the pools end newest first.
    struct NewestFirst {
        std::vector<std::unique_ptr<WorkerPool>>& pools;
        ~NewestFirst() {
            while (!pools.empty()) pools.pop_back();
        }
    } endNewestFirst{pools};
    for (int i = 0; i < threads; ++i) {
        WorkerSetup setup = workers;
        setup.workers = 1;
        setup.workDir /= "restart-" + std::to_string(i + 1);
        pools.push_back(std::make_unique<WorkerPool>(setup));
    }
    WorkerPool& pool = *pools.front();
    checkFixedValues(t, pool.sliderRanges());
    if (!t.name.empty()) checkTuneName(pool, t.name);
    const SliderValues start = startValuesFor(o, pool);

    const Scoring scoring = scoringFor(o, pool);
    const double share = budgetShare(scoring.launches.size());
    Progress progress(err, o.progressBar, "tuning",
                      static_cast<std::size_t>(t.restarts * (kGlobalEvaluations + kLocalEvaluations + kGridEvaluations) * share),
                      0);
    const std::vector<Restart> restarts = runRestarts(o, pools, scoring, start, progress);
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
    Search s(o, pool, {});
    const Flight tuned = saveAndFly(s, saver ? *saver : pool, values, file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const std::size_t flights = static_cast<std::size_t>(evaluations) * scoring.launches.size();
    char buf[240];
    if (interrupted != 0)
        std::snprintf(buf, sizeof buf,
                      "tuning interrupted on %s after %zu flights in %.1f s: the best preset so far, from preset %s (seed %u)\n\n",
                      o.bodies.front().c_str(), flights, seconds, t.start.c_str(), restarts[best].seed);
    else
        std::snprintf(buf, sizeof buf, "tuned on %s after %zu flights in %.1f s, from preset %s (seed %u)\n\n",
                      o.bodies.front().c_str(), flights, seconds, t.start.c_str(), restarts[best].seed);
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
    err << "flightlab: tuned preset" << (interrupted != 0 ? " (interrupted: the best so far)" : "") << ": "
        << file.string() << " (fly it with --presets tuned --preset-dir " << o.outDir.string() << ")"
        << std::endl;
    if (interrupted != 0) {
        if (!t.name.empty()) err << "flightlab: the interrupted tune installs nothing in " << t.game.string() << std::endl;
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
