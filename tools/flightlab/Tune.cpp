// Designing a preset: NLopt searches the free sliders, within their console ranges, for the
// flight closest to the targets.
#include "Tune.h"

#include <nlopt.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <optional>
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

struct Search {
    Search(const LabOptions& o, WorkerPool& p, Progress& pr) : options(o), pool(p), progress(pr) {}
    const LabOptions& options;
    WorkerPool& pool;
    Progress& progress;
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

    SliderValues valuesAt(const std::vector<double>& x) const {
        SliderValues v = fixedValues;
        for (std::size_t i = 0; i < free.size(); ++i) v[static_cast<std::size_t>(free[i])] = x[i];
        if (onGrid) return rounded(v, pool.sliderRanges());
        v[static_cast<std::size_t>(kDensity)] = std::round(v[static_cast<std::size_t>(kDensity)] / kPresetStep) * kPresetStep;
        return v;
    }
    Flight fly(const SliderValues& values) {
        Job job;
        job.launch = options.launch;
        job.keepSamples = false;
        job.setup.label = "tuned";
        job.setup.modelOn = true;
        job.setup.body = options.bodies.front();
        for (std::size_t i = 0; i < kSliderCount; ++i)
            job.setup.overrides.emplace_back(std::string(kSliderNames[i]), valueText(values[i], onGrid ? 3 : 5));
        return pool.fly(job);
    }
    double evaluate(const std::vector<double>& x) {
        throwIfStopped();
        const double e = tuneError(options.tune->targets, fly(valuesAt(x)));
        ++evaluations;
        if (e < bestError) bestError = e, best = x;
        char note[64];
        std::snprintf(note, sizeof note, "best error %.3f %%", bestError * 100);
        progress.update(static_cast<std::size_t>(evaluations), note);
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

void installInGame(const LabOptions& o, const SliderValues& values, std::ostream& err) {
    const Tune& t = *o.tune;
    WorkerSetup setup{o.plugin, t.game, {}, 1};
    setup.gameFolder = true;
    WorkerPool game(setup);
    Job create;
    create.kind = Job::Kind::CreatePreset;
    create.setup.label = t.name;
    create.setup.preset = t.name;
    create.values = valueTexts(values);
    game.fly(create);
    err << "flightlab: installed the preset '" << t.name << "' in " << t.game.string() << std::endl;
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

void printTargets(std::ostream& out, const TuneTargets& t, const Flight& f) {
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

}  // namespace

double tuneError(const TuneTargets& t, const Flight& f) {
    double e = 0;
    if (t.airtimeS) e += std::abs(f.airtimeS - *t.airtimeS) / *t.airtimeS;
    if (t.distanceUu) e += std::abs(f.distanceUu - *t.distanceUu) / *t.distanceUu;
    if (t.topHeightUu) e += std::abs(f.topHeightUu - *t.topHeightUu) / *t.topHeightUu;
    if (t.landingSpeedUu) e += std::abs(f.landingSpeedUu - *t.landingSpeedUu) / *t.landingSpeedUu;
    return e;
}

int runTune(const LabOptions& o, WorkerPool& pool, std::ostream& out, std::ostream& err) {
    const Tune& t = *o.tune;
    checkFixedValues(t, pool.sliderRanges());
    if (!t.name.empty()) checkTuneName(pool, t.name);
    const auto began = std::chrono::steady_clock::now();
    Progress progress(err, o.progressBar, "tuning",
                      kGlobalEvaluations + kLocalEvaluations + kGridEvaluations, 0);
    Search s(o, pool, progress);
    Setup startSetup = setupFor(t.start);
    startSetup.body = o.bodies.front();
    Job startJob;
    startJob.setup = startSetup;
    startJob.launch = o.launch;
    startJob.keepSamples = false;
    s.start = s.fixedValues = pool.fly(startJob).sliders;
    for (const auto& [index, value] : t.fixed) s.fixedValues[static_cast<std::size_t>(index)] = value;
    for (int i = 0; i < static_cast<int>(kSliderCount); ++i) {
        bool fixed = false;
        for (const auto& f : t.fixed) fixed = fixed || f.first == i;
        if (!fixed) s.free.push_back(i);
    }
    std::vector<double> x;
    for (int i : s.free) x.push_back(s.start[static_cast<std::size_t>(i)]);
    nlopt::srand(t.seed);
    int interrupted = 0;
    try {
        if (!s.free.empty()) {
            if (s.evaluate(x) > kGoodEnoughError) runStage(s, nlopt::GN_CRS2_LM, kGlobalEvaluations, x);
            if (s.bestError > kGoodEnoughError) runStage(s, nlopt::LN_BOBYQA, kLocalEvaluations, x);
            polishOnGrid(s, x, kGridEvaluations);
        }
    } catch (const Interrupted& stop) {
        // The best values so far are still worth having; the workers may be mid-flight, so a
        // fresh one saves them.
        interrupted = stop.signal;
        if (!s.best.empty()) x = s.best;
    }
    progress.finish();
    const SliderValues values = s.valuesAt(x);
    const fs::path file = o.outDir / "tuned.txt";
    std::optional<StopsDeferred> finishing;
    std::optional<WorkerPool> saver;
    if (interrupted != 0) {
        finishing.emplace();
        WorkerSetup setup = pool.setup();
        setup.workDir /= "saving";
        setup.workers = 1;
        saver.emplace(setup);
    }
    const Flight tuned = saveAndFly(s, saver ? *saver : pool, values, file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    char buf[200];
    if (interrupted != 0)
        std::snprintf(buf, sizeof buf, "tuning interrupted on %s after %d flights in %.1f s: the best preset so far, from preset %s (seed %u)\n\n",
                      o.bodies.front().c_str(), s.evaluations, seconds, t.start.c_str(), t.seed);
    else
        std::snprintf(buf, sizeof buf, "tuned on %s after %d flights in %.1f s, from preset %s (seed %u)\n\n",
                      o.bodies.front().c_str(), s.evaluations, seconds, t.start.c_str(), t.seed);
    out << buf << "slider values:\n";
    writeSliderTable(out, {tuned});
    out << "\ntuned flight against the targets:\n";
    printTargets(out, t.targets, tuned);
    out << "\n";
    writeTable(out, {tuned});
    err << "flightlab: tuned preset" << (interrupted != 0 ? " (interrupted: the best so far)" : "") << ": "
        << file.string() << " (fly it with --presets tuned --preset-dir " << o.outDir.string() << ")"
        << std::endl;
    if (interrupted != 0) {
        if (!t.name.empty()) err << "flightlab: the interrupted tune installs nothing in " << t.game.string() << std::endl;
        return 128 + interrupted;
    }
    if (!t.name.empty()) installInGame(o, values, err);
    return 0;
}

}  // namespace flightlab
