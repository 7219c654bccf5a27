// The flight lab's command line: every option, parsed by CLI11 and checked before anything flies.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <sstream>

#include "Options.h"
#include "PresetJobs.h"
#include "presets/PresetStorage.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

struct OptionError {
    std::string message;
};

bool parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(value);
}

std::vector<std::string> splitList(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

double numberIn(const std::string& option, const std::string& text, double min, double max) {
    double v = 0;
    if (!parseNumber(text, v) || v < min || v > max) {
        std::ostringstream s;
        s << "option " << option << " takes a number from " << min << " to " << max << ", not '"
          << text << "'";
        throw OptionError{s.str()};
    }
    return v;
}

std::string joined(auto&& names) {
    std::string s;
    for (const auto& n : names) s += (s.empty() ? "" : ", ") + std::string(n);
    return s;
}

Slider sliderOrThrow(const std::string& option, const std::string& name) {
    const auto slider = sliderNamed(name);
    if (!slider) throw OptionError{"option " + option + ": " + unknownSliderRefusal(name)};
    return *slider;
}

// The words as typed, before checking.
struct Raw {
    std::string speed, pitch, height, boostTime, timeLimit, heading, input, presets, presetDir, sweep,
        sweepPreset = "3", hudPreset, out, plugin, bodies, workers, tune, tuneStart,
        tuneFix, seed, tuneName, game, tuneTolerance, tuneRestarts, launches, port, listen;
    bool version = false, keepRuns = false, force = false, serve = false;
};

// Each option that takes a value: name, value shown in the help, where it goes, help text.
struct ValueOption {
    const char* name;
    const char* value;
    std::string Raw::*target;
    const char* help;
};

constexpr ValueOption kValueOptions[] = {
    {"--speed", "UU/S", &Raw::speed, "launch speed along the nose (default 2000)"},
    {"--pitch", "DEG", &Raw::pitch, "nose-up pitch at launch (default 25)"},
    {"--height", "UU", &Raw::height, "launch height of the car's centre (default 300)"},
    {"--boost-time", "S", &Raw::boostTime, "boost held from launch (default 1)"},
    {"--time-limit", "S", &Raw::timeLimit, "longest flight simulated (default 10)"},
    {"--heading", "DEG", &Raw::heading,
     "launch direction from world +X towards +Y (default 0); the model acts along world axes"},
    {"--input", "pitch=P,yaw=Y,roll=R,throttle=T", &Raw::input,
     "controller input held through the flight, each from -1 to 1 (default none)"},
    {"--presets", "LIST", &Raw::presets,
     "comma list of stock, 0-5 and user preset names (default stock,1,2,3,4,5)"},
    {"--preset-dir", "DIR", &Raw::presetDir,
     "folder holding user preset files NAME.txt (a game folder's bakkesmod/wingleaf)"},
    {"--body", "LIST", &Raw::bodies,
     "comma list of car bodies: octane, dominus, plank, breakout, hybrid, merc (default octane)"},
    {"--launches", "PART=FROM:TO:N,...", &Raw::launches,
     "fly every set-up at every launch of a grid; parts: speed, pitch, height, heading, boost-time "
     "(e.g. speed=1000:2300:4,pitch=0:60:5,heading=0:90:3)"},
    {"--sweep", "VAR=FROM:TO:STEPS", &Raw::sweep, "also fly slider VAR at STEPS values on the sweep preset"},
    {"--sweep-preset", "P", &Raw::sweepPreset, "base preset or name the sweep flies on (default 3)"},
    {"--hud-preset", "P", &Raw::hudPreset,
     "draw the HUD at the top of this flown preset's flight (default 3; none: no picture)"},
    {"--out", "DIR", &Raw::out, "where the tables, CSV files and pictures go (default out/flightlab)"},
    {"--workers", "N", &Raw::workers, "worker processes flying in parallel (default: one per core)"},
    {"--tune", "airtime=S,distance=UU[,top=UU][,landing=UU/S]", &Raw::tune,
     "search the sliders for the flight closest to these figures"},
    {"--tune-start", "P", &Raw::tuneStart, "preset the search starts from (default 0: the defaults)"},
    {"--tune-fix", "VAR=VALUE,...", &Raw::tuneFix, "sliders held at these values while tuning"},
    {"--seed", "N", &Raw::seed, "seed of the search, so that a run repeats exactly (default 1)"},
    {"--tune-restarts", "N", &Raw::tuneRestarts,
     "searches from seeds N, N+1, ... spread over the workers; the best wins (default 4)"},
    {"--tune-tolerance", "PCT", &Raw::tuneTolerance,
     "largest miss of a target, in percent, for the tune to count as met (default 1)"},
    {"--tune-name", "NAME", &Raw::tuneName, "also install the tuned preset as this user preset..."},
    {"--game", "DIR", &Raw::game, "...in this game folder, so it appears in the settings window"},
    {"--port", "N", &Raw::port, "with --serve: the port (default 8765; 0: any free one)"},
    {"--listen", "ADDR", &Raw::listen,
     "with --serve: the address to listen on (default 127.0.0.1); the page answers requests "
     "addressed to it or to 127.0.0.1 and localhost"},
    {"--plugin", "PATH", &Raw::plugin, "the plug-in library"},
};

void addOptions(CLI::App& app, Raw& r) {
    for (const ValueOption& o : kValueOptions) app.add_option(o.name, r.*o.target, o.help)->type_name(o.value);
    app.add_flag("--keep-runs", r.keepRuns, "keep each flight's trajectory and game folder in OUT/runs");
    app.add_flag("--force", r.force,
                 "install the tuned preset (--tune-name) even when targets are not met, or over a "
                 "preset of that name made during the tune");
    app.add_flag("--serve", r.serve,
                 "open the workbench: a web page on this machine that flies as the sliders move "
                 "(with --game DIR, its user presets are shown and saved there)");
    app.add_flag("--version", r.version, "print the version");
}

HeldInput heldInputFrom(const std::string& text) {
    const std::string usage =
        "option --input takes pitch=P,yaw=Y,roll=R,throttle=T (any of them, each from -1 to 1), "
        "e.g. pitch=0.5,throttle=1";
    HeldInput in;
    std::vector<std::string> seen;
    for (const auto& part : splitList(text, ',')) {
        const auto eq = part.find('=');
        if (eq == std::string::npos) throw OptionError{usage};
        const std::string key = part.substr(0, eq);
        double* axis = key == "pitch" ? &in.pitch : key == "yaw" ? &in.yaw
                       : key == "roll" ? &in.roll : key == "throttle" ? &in.throttle : nullptr;
        if (axis == nullptr) throw OptionError{"option --input: unknown input '" + key + "'; " + usage};
        if (std::find(seen.begin(), seen.end(), key) != seen.end())
            throw OptionError{"option --input: " + key + " is given twice"};
        seen.push_back(key);
        *axis = numberIn("--input " + key, part.substr(eq + 1), -1, 1);
    }
    if (seen.empty()) throw OptionError{usage};
    return in;
}

Launch launchFrom(const Raw& r) {
    Launch l;
    if (!r.speed.empty()) l.speedUu = numberIn("--speed", r.speed, 0, 100000);
    if (!r.pitch.empty()) l.pitchDeg = numberIn("--pitch", r.pitch, -90, 90);
    if (!r.height.empty()) l.heightUu = numberIn("--height", r.height, 18, 100000);
    if (!r.boostTime.empty()) l.boostSeconds = numberIn("--boost-time", r.boostTime, 0, 600);
    if (!r.timeLimit.empty()) l.timeLimitS = numberIn("--time-limit", r.timeLimit, 0.01, 600);
    if (!r.heading.empty()) l.headingDeg = numberIn("--heading", r.heading, -360, 360);
    if (!r.input.empty()) l.input = heldInputFrom(r.input);
    return l;
}

Sweep sweepFrom(const std::string& text, const std::string& preset) {
    const auto eq = text.find('=');
    const auto parts = eq == std::string::npos ? std::vector<std::string>{}
                                               : splitList(text.substr(eq + 1), ':');
    Sweep s;
    double steps = 0;
    if (eq == std::string::npos || parts.size() != 3 || !parseNumber(parts[0], s.from) ||
        !parseNumber(parts[1], s.to) || !parseNumber(parts[2], steps) || steps < 2 ||
        steps > 1000 || steps != static_cast<int>(steps))
        throw OptionError{"option --sweep takes VAR=FROM:TO:STEPS with a wl_ slider and 2 to 1000 "
                          "steps, e.g. wl_lift=0:10:11"};
    s.slider = sliderOrThrow("--sweep", text.substr(0, eq));
    s.steps = static_cast<int>(steps);
    s.preset = preset;
    return s;
}

// Launches flown in one run at most: a grid is flown by every set-up.
constexpr std::size_t kMostLaunches = 10000;

LaunchGrid launchGridFrom(const std::string& text) {
    const std::string usage = "option --launches takes PART=FROM:TO:N,... with parts speed, pitch, height, "
                              "heading, boost-time and N from 1 to 100, e.g. speed=1000:2300:4,pitch=0:60:5";
    LaunchGrid grid;
    for (const auto& item : splitList(text, ',')) {
        const auto eq = item.find('=');
        if (eq == std::string::npos) throw OptionError{usage};
        GridAxis axis;
        axis.name = item.substr(0, eq);
        const auto part = std::find_if(kGridParts.begin(), kGridParts.end(),
                                       [&](const GridPart& p) { return axis.name == p.name; });
        if (part == kGridParts.end()) throw OptionError{"option --launches: unknown part '" + axis.name + "'; " + usage};
        for (const auto& a : grid.axes)
            if (a.name == axis.name) throw OptionError{"option --launches: " + axis.name + " is given twice"};
        const auto parts = splitList(item.substr(eq + 1), ':');
        double steps = 0;
        if (parts.size() != 3 || !parseNumber(parts[2], steps) || steps < 1 || steps > 100 ||
            steps != std::floor(steps))
            throw OptionError{usage};
        const std::string option = "--launches " + axis.name;
        axis.from = numberIn(option, parts[0], part->min, part->max);
        axis.to = numberIn(option, parts[1], part->min, part->max);
        axis.steps = static_cast<int>(steps);
        grid.axes.push_back(axis);
    }
    if (grid.axes.empty()) throw OptionError{usage};
    if (grid.size() > kMostLaunches)
        throw OptionError{"option --launches: " + std::to_string(grid.size()) + " launches; at most " +
                          std::to_string(kMostLaunches) + " are flown in one run"};
    return grid;
}

TuneTargets targetsFrom(const std::string& text) {
    TuneTargets t;
    const std::string usage =
        "option --tune takes airtime=S,distance=UU[,top=UU][,landing=UU/S], each also as a factor of "
        "stock's figure at the same launch (airtime=1.5x), e.g. airtime=6,distance=12000";
    for (const auto& part : splitList(text, ',')) {
        const auto eq = part.find('=');
        std::string value = eq == std::string::npos ? "" : part.substr(eq + 1);
        const bool relative = !value.empty() && value.back() == 'x';
        if (relative) value.pop_back();
        double v = 0;
        if (eq == std::string::npos || !parseNumber(value, v) || v <= 0) throw OptionError{usage};
        const std::string key = part.substr(0, eq);
        const auto figure = std::find_if(kTargetFigures.begin(), kTargetFigures.end(),
                                         [&](const TargetFigure& f) { return key == f.key; });
        if (figure == kTargetFigures.end()) throw OptionError{usage};
        if ((t.*figure->target).has_value()) throw OptionError{"option --tune: " + key + " is given twice"};
        t.*figure->target = v;
        t.relative.*figure->relative = relative;
    }
    if (!t.any()) throw OptionError{usage};
    return t;
}

void checkGameFolder(const fs::path& game) {
    const fs::path settings = fs::path(kSettingsPath).lexically_normal();
    if (!fs::exists(game / settings))
        throw OptionError{"option --game: " + game.string() + " is not a game folder with the plug-in installed (no " +
                          settings.generic_string() + "; 'cmake --install build/release --prefix " + game.string() +
                          "' lays one out)"};
}

Tune tuneFrom(const Raw& r) {
    Tune t;
    t.targets = targetsFrom(r.tune);
    if (!r.tuneStart.empty()) t.start = r.tuneStart;
    if (t.start == "stock") throw OptionError{"option --tune-start needs a preset, not stock"};
    for (const auto& item : splitList(r.tuneFix, ',')) {
        const auto eq = item.find('=');
        if (eq == std::string::npos)
            throw OptionError{"option --tune-fix takes VAR=VALUE,..., e.g. wl_speed=1,wl_boost=1"};
        const Slider slider = sliderOrThrow("--tune-fix", item.substr(0, eq));  // ranged once loaded
        double value = 0;
        if (!parseNumber(item.substr(eq + 1), value))
            throw OptionError{"option --tune-fix " + item.substr(0, eq) + " takes a number, not '" +
                              item.substr(eq + 1) + "'"};
        t.fixed.emplace_back(slider, static_cast<float>(value));
    }
    if (!r.seed.empty()) t.seed = static_cast<unsigned>(numberIn("--seed", r.seed, 0, 4294967295.0));
    if (!r.tuneRestarts.empty()) {
        const double n = numberIn("--tune-restarts", r.tuneRestarts, 1, 64);
        if (n != std::floor(n)) throw OptionError{"option --tune-restarts takes a whole number"};
        t.restarts = static_cast<int>(n);
    }
    if (!r.tuneTolerance.empty())
        t.tolerance = numberIn("--tune-tolerance", r.tuneTolerance, 0.001, 100) / 100;
    t.force = r.force;
    t.name = r.tuneName;
    t.game = r.game;
    if (const std::string problem = t.name.empty() ? "" : presetNameProblem(t.name); !problem.empty())
        throw OptionError{"option --tune-name: '" + t.name + "' " + problem};
    if (!t.name.empty() && t.game.empty())
        throw OptionError{"option --tune-name needs --game DIR (the game folder to install it in)"};
    if (t.name.empty() && !t.game.empty())
        throw OptionError{"option --game needs --tune-name NAME (the name to install the preset as)"};
    if (!t.game.empty()) checkGameFolder(t.game);
    if (!t.name.empty() && fs::exists(presetFolderOf(t.game) / (t.name + ".txt")))
        throw OptionError{"option --tune-name: the game folder already has a preset named '" + t.name + "'"};
    return t;
}

// Every preset flown or started from: a base preset, or a user preset's file.
void checkUserPreset(const LabOptions& o, const std::string& p) {
    if (p == "stock") return;
    if (const std::string refusal = presetRefusal(p, o.presetDir); !refusal.empty()) throw OptionError{refusal};
}

void checkPresets(LabOptions& o, const Raw& r) {
    if (!r.presets.empty()) o.presets = splitList(r.presets, ',');
    if (o.presets.empty()) throw OptionError{"option --presets needs at least one preset"};
    for (const auto& p : o.presets) checkUserPreset(o, p);
    if (o.sweep) checkUserPreset(o, o.sweep->preset);
    if (o.tune) checkUserPreset(o, o.tune->start);
    if (r.hudPreset == "none") {
        o.hudPreset.clear();
    } else if (!r.hudPreset.empty()) {
        if (std::find(o.presets.begin(), o.presets.end(), r.hudPreset) == o.presets.end())
            throw OptionError{"option --hud-preset: preset '" + r.hudPreset +
                              "' is not flown (the flown presets are " + joined(o.presets) + ")"};
        o.hudPreset = r.hudPreset;
    } else if (std::find(o.presets.begin(), o.presets.end(), o.hudPreset) == o.presets.end()) {
        o.hudPreset.clear();  // the default picture's preset is not flown: no picture
    }
}

void checkBodies(LabOptions& o, const Raw& r) {
    if (r.bodies.empty()) return;
    o.bodies = splitList(r.bodies, ',');
    if (o.bodies.empty()) throw OptionError{"option --body needs at least one body"};
    for (const auto& b : o.bodies) {
        if (!findBody(b)) {
            std::vector<std::string_view> names;
            for (const Body& known : kBodies) names.push_back(known.name);
            throw OptionError{"option --body: unknown body '" + b + "' (bodies: " + joined(names) + ")"};
        }
    }
}

std::optional<Serve> serveFrom(const Raw& r) {
    if (!r.serve) {
        if (!r.port.empty() || !r.listen.empty()) throw OptionError{"options --port and --listen need --serve"};
        return std::nullopt;
    }
    if (!r.tune.empty() || !r.sweep.empty())
        throw OptionError{"option --serve runs the workbench alone: tune and sweep from the page"};
    if (!r.launches.empty())
        throw OptionError{"options --serve and --launches cannot be combined: the page flies one launch"};
    Serve s;
    if (!r.port.empty()) {
        const double p = numberIn("--port", r.port, 0, 65535);
        if (p != std::floor(p)) throw OptionError{"option --port takes a whole number"};
        s.port = static_cast<int>(p);
    }
    if (!r.listen.empty()) s.listen = r.listen;
    if (!r.game.empty()) {
        checkGameFolder(r.game);
        s.game = r.game;
    }
    return s;
}

LabOptions optionsFrom(const Raw& r) {
    LabOptions o;
    o.plugin = WL_FLIGHTLAB_PLUGIN;
    o.launch = launchFrom(r);
    if (!r.presetDir.empty()) o.presetDir = r.presetDir;
    if (!r.sweep.empty()) o.sweep = sweepFrom(r.sweep, r.sweepPreset);
    if (!r.launches.empty()) o.launches = launchGridFrom(r.launches);
    if (o.sweep && o.launches)
        throw OptionError{"options --sweep and --launches cannot be combined: a sweep flies one launch"};
    o.serve = serveFrom(r);
    if (!r.tune.empty()) o.tune = tuneFrom(r);
    else if (!r.tuneStart.empty() || !r.tuneFix.empty() || !r.tuneName.empty() || !r.seed.empty() ||
             !r.tuneRestarts.empty() || !r.tuneTolerance.empty() || r.force || (!r.game.empty() && !r.serve))
        throw OptionError{"options --tune-start, --tune-fix, --tune-name, --game, --seed, --tune-restarts, "
                          "--tune-tolerance and --force need --tune (--game also goes with --serve)"};
    if (o.tune && o.sweep)
        throw OptionError{"option --sweep cannot be used with --tune (a tune flies its own set-ups)"};
    // Targets no flight of this launch can give are refused before any flight.
    if (o.tune)
        if (const std::string refusal = targetRefusal(o.tune->targets, o.launch); !refusal.empty())
            throw OptionError{"option --tune: " + refusal};
    checkPresets(o, r);
    checkBodies(o, r);
    if (o.tune && o.bodies.size() > 1)
        throw OptionError{"option --body: a tune designs a preset on one body, not " + joined(o.bodies)};
    if (!r.out.empty()) o.outDir = r.out;
    if (!r.plugin.empty()) o.plugin = r.plugin;
    if (!fs::is_regular_file(o.plugin)) throw OptionError{"no plug-in library " + o.plugin.string()};
    if (!r.workers.empty()) {
        const double w = numberIn("--workers", r.workers, 1, 64);
        if (w != std::floor(w)) throw OptionError{"option --workers takes a whole number"};
        o.workers = static_cast<int>(w);
    }
    o.keepRuns = r.keepRuns;
    return o;
}

// The first word CLI11 did not take: an option nobody defines, or a stray word.
std::string leftoverError(const std::string& word) {
    return word.rfind("-", 0) == 0 ? "unknown option " + word.substr(0, word.find('='))
                                   : "unexpected argument '" + word + "'";
}

}  // namespace

std::optional<LabOptions> parseOptions(const std::vector<std::string>& args, std::string& message,
                                       bool& informational) {
    informational = false;
    CLI::App app("Flies one launch through the simulated game and the wingleaf plug-in for several "
                 "presets and car bodies, compares them, and designs presets toward a target flight.",
                 "wingleaf-flightlab");
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    Raw raw;
    addOptions(app, raw);
    app.footer("Examples:\n  wingleaf-flightlab --body octane,merc\n"
               "  wingleaf-flightlab --sweep wl_lift=0:10:11 --sweep-preset 3\n"
               "  wingleaf-flightlab --launches speed=1000:2300:4,pitch=0:60:5,heading=0:90:3\n"
               "  wingleaf-flightlab --tune airtime=6,distance=12000 --tune-fix wl_speed=2\n"
               "Exit status: 0 done, 1 the run failed, 2 bad options, 3 a tune's targets not met,\n"
               "4 the tuned preset not installed (--tune-name), 130, 143 or 129 when ended by\n"
               "Ctrl-C, SIGTERM or a hang-up.");
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        message = app.help();
        informational = true;
        return std::nullopt;
    } catch (const CLI::ArgumentMismatch& e) {
        const std::string what = e.what();
        message = "option " + what.substr(0, what.find(':')) + " needs a value";
        return std::nullopt;
    } catch (const CLI::ParseError& e) {
        message = e.what();
        return std::nullopt;
    }
    if (raw.version) {
        message = std::string("wingleaf-flightlab ") + WL_FLIGHTLAB_VERSION + "\n";
        informational = true;
        return std::nullopt;
    }
    if (!app.remaining().empty()) {
        message = leftoverError(app.remaining().front());
        return std::nullopt;
    }
    // An empty value would read as the option not given at all.
    for (const ValueOption& o : kValueOptions) {
        if (app.count(o.name) > 0 && (raw.*o.target).empty()) {
            message = std::string("option ") + o.name + " needs a value";
            return std::nullopt;
        }
    }
    try {
        return optionsFrom(raw);
    } catch (const OptionError& e) {
        message = e.message;
        return std::nullopt;
    }
}

}  // namespace flightlab
