// Designing a preset: NLopt searches the free sliders, within their console ranges, for the
// flight closest to the targets.
#include "TuneSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <mutex>
#include <nlopt.hpp>
#include <utility>

#include "Interrupt.h"
#include "PresetJobs.h"

namespace flightlab::tuning {

namespace fs = std::filesystem;

namespace {

// Evaluation budgets of the two stages, and the error at which the search stops early.
constexpr int kGlobalEvaluations = 1500;
constexpr int kLocalEvaluations = 1000;
constexpr int kGridEvaluations = 1000;
constexpr double kGoodEnoughError = 2e-4;
// Over a grid of launches each evaluation flies every launch: the budgets shrink so that a tune
// flies at most about this many times the one-launch budget, and never below a tenth of it.
constexpr double kGridFlightsFactor = 6;

double budgetShare(std::size_t launches) {
    return std::clamp(kGridFlightsFactor / static_cast<double>(std::max<std::size_t>(1, launches)),
                      0.1, 1.0);
}
// Preset files keep three decimals; the tuned values are rounded to them.
constexpr double kPresetStep = 0.001;
// Between the preset file's grid points the search flies values to five decimals.
constexpr int kSearchDecimals = 5;
// Air density scales every aerodynamic force, and three decimals of it are coarse: near zero one
// step changes the forces by a large fraction, and at zero the other sliders do nothing. The
// search keeps it above this value, where a step is a small change that the others make up.
constexpr double kLowestSearchedDensity = 0.02;
constexpr std::size_t kDensity = sliderIndex(Slider::air_density);

// Every slider's value as the search moves it, in slider order.
using Point = std::array<double, kSliderCount>;

float searchValue(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", kSearchDecimals, v);
    return std::strtof(text, nullptr);
}

// The values a point flies: on the grid, a preset's values within the ranges; between its
// points, five decimals, air density on the grid.
SliderValues valuesOf(const Point& p, bool onGrid, const SliderRanges& ranges) {
    SliderValues v;
    for (Slider slider : kSliders) {
        const std::size_t i = sliderIndex(slider);
        const SliderRange& r = ranges[i];
        v[slider] = onGrid ? std::clamp(presetValue(p[i]), r.min, r.max)
                           : (i == kDensity ? presetValue(p[i]) : searchValue(p[i]));
    }
    return v;
}

Point pointOf(const SliderValues& values) {
    Point p{};
    for (Slider slider : kSliders) p[sliderIndex(slider)] = values[slider];
    return p;
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

struct Search {
    Search(const LabOptions& o, WorkerPool& p, const Scoring& sc, SearchProgress pr)
        : options(o), pool(p), scoring(sc), progress(std::move(pr)) {}
    const LabOptions& options;
    WorkerPool& pool;
    const Scoring& scoring;
    SearchProgress progress;
    std::vector<std::size_t> free;  // indexes of the sliders searched
    Point fixedValues{};            // every slider's value when not searched
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
        Point p = fixedValues;
        for (std::size_t i = 0; i < free.size(); ++i) p[free[i]] = x[i];
        return valuesOf(p, onGrid, pool.sliderRanges());
    }
    // The most evaluations this search makes.
    int budget() const {
        return static_cast<int>((kGlobalEvaluations + kLocalEvaluations + kGridEvaluations) *
                                budgetShare(scoring.launches.size()));
    }

    std::vector<Flight> fly(const SliderValues& values) {
        Setup setup;
        setup.label = "tuned";
        setup.modelOn = true;
        setup.body = options.bodies.front();
        for (Slider slider : kSliders) setup.overrides.emplace_back(slider, values[slider]);
        std::vector<Job> jobs;
        for (const Launch& l : scoring.launches) jobs.push_back(flightJob(l, setup, false));
        return pool.run(jobs);
    }
    double evaluate(const std::vector<double>& x) {
        throwIfStopped();
        const double e = gridError(fly(valuesAt(x)), scoring.targets);
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
    for (std::size_t i : s.free) {
        const double min = ranges[i].min;
        lo.push_back(i == kDensity ? std::max(min, kLowestSearchedDensity) : min);
        hi.push_back(ranges[i].max);
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
    for (double step = 0.256; step >= kPresetStep / 2 && s.bestError > kGoodEnoughError;
         step /= 4) {
        bool improved = true;
        while (improved && s.evaluations < stop && s.bestError > kGoodEnoughError) {
            improved = false;
            for (std::size_t i = 0; i < x.size() && s.evaluations < stop; ++i) {
                const SliderRange& r = ranges[s.free[i]];
                for (double dir : {1.0, -1.0}) {
                    std::vector<double> y = s.best;
                    y[i] = std::clamp<double>(y[i] + dir * step, r.min, r.max);
                    const double before = s.bestError;
                    if (s.evaluate(y) < before) improved = true;
                }
            }
        }
    }
    x = s.best;
}

// The fixed values and free sliders of the search, from the start preset's values.
Search prepared(const LabOptions& o, WorkerPool& pool, const Scoring& scoring,
                const SliderValues& start, SearchProgress progress) {
    Search s(o, pool, scoring, std::move(progress));
    s.fixedValues = pointOf(start);
    for (const auto& [slider, value] : o.tune->fixed)
        s.fixedValues[sliderIndex(slider)] = presetValue(value);
    for (Slider slider : kSliders) {
        bool fixed = false;
        for (const auto& f : o.tune->fixed) fixed = fixed || f.first == slider;
        if (!fixed) s.free.push_back(sliderIndex(slider));
    }
    return s;
}

}  // namespace

std::size_t budgetOf(const Tune& tune, const Scoring& scoring) {
    return static_cast<std::size_t>(tune.restarts *
                                    (kGlobalEvaluations + kLocalEvaluations + kGridEvaluations) *
                                    budgetShare(scoring.launches.size()));
}

void checkFixedValues(const Tune& tune, const SliderRanges& ranges, const std::string& where) {
    for (const auto& [slider, value] : tune.fixed)
        if (const std::string refusal = sliderRefusal(slider, value, ranges); !refusal.empty())
            throw UsageError(where + refusal);
}

SliderValues startValuesFor(const LabOptions& o, WorkerPool& pool) {
    const Tune& t = *o.tune;
    Setup startSetup = setupFor(t.start);
    startSetup.body = o.bodies.front();
    startSetup.overrides = presetValues(t.startValues);
    Job read;
    read.kind = Job::Kind::ReadPreset;
    read.setup = startSetup;
    return pool.fly(read).sliders;
}

Scoring scoringFor(const LabOptions& o, WorkerPool& pool) {
    Scoring sc;
    if (o.launches)
        for (std::size_t l = 0; l < o.launches->size(); ++l)
            sc.launches.push_back(o.launches->launch(o.launch, l));
    else
        sc.launches.push_back(o.launch);
    sc.targets.assign(sc.launches.size(), o.tune->targets);
    if (!o.tune->targets.anyRelative()) return sc;
    Setup stock = setupFor("stock");
    stock.body = o.bodies.front();
    std::vector<Job> jobs;
    for (const Launch& l : sc.launches) jobs.push_back(flightJob(l, stock, false));
    const auto flights = pool.run(jobs);
    for (std::size_t l = 0; l < flights.size(); ++l)
        sc.targets[l] = o.tune->targets.against(flights[l].figures);
    return sc;
}

// NLopt's random numbers are per thread, so searches on several threads each repeat exactly for
// their seed.
Restart searchFrom(const LabOptions& o, WorkerPool& pool, const Scoring& scoring,
                   const SliderValues& start, unsigned seed, SearchProgress progress,
                   const TuneWatch& watch) {
    Search s = prepared(o, pool, scoring, start, std::move(progress));
    s.watch = watch;
    std::vector<double> x;
    for (std::size_t i : s.free) x.push_back(s.fixedValues[i]);
    nlopt::srand(seed);
    int interrupted = 0;
    try {
        if (!s.free.empty()) {
            const double share = budgetShare(s.scoring.launches.size());
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
    s.onGrid = true;
    return Restart{seed, s.valuesAt(x), s.bestError, s.evaluations, interrupted};
}

std::vector<Restart> runRestarts(const LabOptions& o,
                                 const std::vector<std::unique_ptr<WorkerPool>>& pools,
                                 const Scoring& scoring, const SliderValues& start,
                                 Progress& progress) {
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
                results[static_cast<std::size_t>(k)] = searchFrom(
                    o, *pools[t], scoring, start, o.tune->seed + static_cast<unsigned>(k),
                    [&, k](int n, double e) { report(k, n, e); });
        }));
    }
    for (auto& t : threads) t.get();
    return results;
}

Flight saveAndFly(const LabOptions& o, WorkerPool& pool, const SliderValues& values,
                  const fs::path& file) {
    createPreset(pool, "tuned", values, file);
    Setup tuned = setupFor("tuned");
    tuned.label = "tuned";
    tuned.body = o.bodies.front();
    return pool.fly(flightJob(o.launch, tuned));
}

}  // namespace flightlab::tuning

namespace flightlab {

double tuneError(const TuneTargets& t, const Figures& f) {
    double e = 0;
    for (const TargetFigure& figure : kTargetFigures) {
        const auto& target = t.*figure.target;
        if (!target) continue;
        e += std::abs(f.*figure.figure - *target) / *target;
        // A flight cut off at the limit has no airtime of its own: it is never a match.
        if (figure.target == &TuneTargets::airtimeS && !f.landed) e += 1;
    }
    return e;
}

TuneOutcome searchTune(const LabOptions& o, WorkerPool& pool, const TuneWatch& watch) {
    using namespace tuning;
    checkFixedValues(*o.tune, pool.sliderRanges(), "");
    if (const std::string refusal = targetRefusal(o.tune->targets, o.launch); !refusal.empty())
        throw UsageError(refusal);
    const SliderValues start = startValuesFor(o, pool);
    const Scoring scoring = scoringFor(o, pool);
    const Restart r = searchFrom(o, pool, scoring, start, o.tune->seed, {}, watch);
    if (r.interrupted != 0) throw Interrupted(r.interrupted);
    TuneOutcome outcome;
    outcome.evaluations = r.evaluations;
    outcome.flight = saveAndFly(o, pool, r.values, o.outDir / "tuned.txt");
    outcome.values = outcome.flight.sliders;
    outcome.targets = scoring.targets.front();
    return outcome;
}

}  // namespace flightlab
