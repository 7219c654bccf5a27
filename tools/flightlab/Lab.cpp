// The flight lab: flies the same launch for several presets and reports how each flies.
#include "Lab.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "Plot.h"
#include "Report.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

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

bool isBaseIndex(const std::string& preset) {
    return preset.size() == 1 && preset[0] >= '0' && preset[0] <= '5';
}

// Labels of the base presets as the installed settings window shows them.
std::vector<std::string> baseLabels(const fs::path& root) {
    std::vector<std::string> labels(6);
    std::ifstream in(root / "bakkesmod/plugins/settings/wingleaf.set");
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("wl_preset") == std::string::npos) continue;
        const auto bar = line.rfind('|');
        for (const auto& option : splitList(line.substr(bar + 1), '&')) {
            const auto at = option.rfind('@');
            if (at == std::string::npos) continue;
            const std::string value = option.substr(at + 1);
            if (isBaseIndex(value)) labels[static_cast<std::size_t>(value[0] - '0')] =
                option.substr(0, at);
        }
        break;
    }
    return labels;
}

void writeFileChecked(const fs::path& path, const std::string& content) {
    const fs::path tmp = path.string() + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << content;
        out.close();
        if (!out) throw std::runtime_error("cannot write " + path.string());
    }
    fs::rename(tmp, path);
}

}  // namespace

std::string usage() {
    return "usage: wingleaf-flightlab [options]\n"
           "Flies the same launch in wingleaf-host for several presets and compares them.\n"
           "  --speed UU_S        launch speed along the nose (default 2000)\n"
           "  --pitch DEG         nose-up pitch at launch (default 25)\n"
           "  --height UU         launch height (default 300)\n"
           "  --boost-time S      boost held from launch (default 1)\n"
           "  --time-limit S      longest flight simulated (default 10)\n"
           "  --presets LIST      comma list of stock, 0-5 and user preset names\n"
           "                      (default stock,1,2,3,4,5)\n"
           "  --preset-dir DIR    folder holding user preset files NAME.txt\n"
           "                      (a game folder's bakkesmod/wingleaf)\n"
           "  --sweep VAR=FROM:TO:STEPS  also fly VAR at STEPS values on the sweep preset\n"
           "  --sweep-preset P    base preset or name the sweep flies on (default 3)\n"
           "  --hud-preset P      draw the HUD at the top of this preset's flight (default 3,\n"
           "                      'none' for no picture)\n"
           "  --out DIR           where the CSV and pictures go (default out/flightlab)\n"
           "  --host PATH         the wingleaf-host program\n"
           "  --plugin PATH       the plug-in library\n";
}

std::optional<LabOptions> parseOptions(const std::vector<std::string>& args, std::string& error,
                                       bool& helpAsked) {
    LabOptions o;
    o.program.host = WL_FLIGHTLAB_HOST;
    o.program.plugin = WL_FLIGHTLAB_PLUGIN;
    helpAsked = false;
    std::string sweepPreset = "3";
    std::string sweepText;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            helpAsked = true;
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = a.rfind("--", 0) == 0 ? "option " + a + " needs a value" : "unknown argument " + a;
            return std::nullopt;
        }
        const std::string& v = args[++i];
        double number = 0;
        auto needNumber = [&](double min, double max) {
            if (!parseNumber(v, number) || number < min || number > max) {
                std::ostringstream s;
                s << "option " << a << " takes a number from " << min << " to " << max
                  << ", not '" << v << "'";
                error = s.str();
                return false;
            }
            return true;
        };
        if (a == "--speed") {
            if (!needNumber(0, 100000)) return std::nullopt;
            o.launch.speedUu = number;
        } else if (a == "--pitch") {
            if (!needNumber(-90, 90)) return std::nullopt;
            o.launch.pitchDeg = number;
        } else if (a == "--height") {
            if (!needNumber(18, 100000)) return std::nullopt;
            o.launch.heightUu = number;
        } else if (a == "--boost-time") {
            if (!needNumber(0, 600)) return std::nullopt;
            o.launch.boostSeconds = number;
        } else if (a == "--time-limit") {
            if (!needNumber(0.01, 600)) return std::nullopt;
            o.launch.timeLimitS = number;
        } else if (a == "--presets") {
            o.presets = splitList(v, ',');
            if (o.presets.empty()) {
                error = "option --presets needs at least one preset";
                return std::nullopt;
            }
        } else if (a == "--preset-dir") {
            o.presetDir = v;
        } else if (a == "--sweep") {
            sweepText = v;
        } else if (a == "--sweep-preset") {
            sweepPreset = v;
        } else if (a == "--hud-preset") {
            o.hudPreset = v == "none" ? "" : v;
        } else if (a == "--out") {
            o.outDir = v;
        } else if (a == "--host") {
            o.program.host = v;
        } else if (a == "--plugin") {
            o.program.plugin = v;
        } else {
            error = "unknown option " + a;
            return std::nullopt;
        }
    }
    if (!sweepText.empty()) {
        const auto eq = sweepText.find('=');
        const auto parts = eq == std::string::npos ? std::vector<std::string>{}
                                                   : splitList(sweepText.substr(eq + 1), ':');
        Sweep s;
        double steps = 0;
        if (eq == std::string::npos || sweepText.rfind("wl_", 0) != 0 || parts.size() != 3 ||
            !parseNumber(parts[0], s.from) || !parseNumber(parts[1], s.to) ||
            !parseNumber(parts[2], steps) || steps < 2 || steps > 1000 ||
            steps != static_cast<int>(steps)) {
            error = "option --sweep takes VAR=FROM:TO:STEPS with a wl_ slider and 2 to 1000 "
                    "steps, e.g. wl_lift=0:10:11";
            return std::nullopt;
        }
        s.variable = sweepText.substr(0, eq);
        s.steps = static_cast<int>(steps);
        s.preset = sweepPreset;
        o.sweep = s;
    }
    for (const auto& p : o.presets) {
        if (p != "stock" && !isBaseIndex(p) && o.presetDir.empty()) {
            error = "user preset '" + p + "' needs --preset-dir (a game folder's bakkesmod/wingleaf)";
            return std::nullopt;
        }
    }
    return o;
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

Flight fly(const LabOptions& options, const Setup& setup, const fs::path& root) {
    std::vector<fs::path> presetFiles;
    if (!setup.preset.empty() && !isBaseIndex(setup.preset)) {
        const fs::path file = options.presetDir / (setup.preset + ".txt");
        if (!fs::exists(file)) throw std::runtime_error("no preset file " + file.string());
        presetFiles.push_back(file);
    }
    const HostOutput result =
        runScript(options.program, root, flightScript(options.launch, setup), presetFiles);
    if (result.exitCode != 0)
        throw std::runtime_error("wingleaf-host failed on " + setup.label + " (exit " +
                                 std::to_string(result.exitCode) + "): " + result.err);
    Flight flight;
    flight.setup = setup;
    flight.samples = parseSamples(result.out);
    if (flight.samples.empty())
        throw std::runtime_error("wingleaf-host printed no car state for " + setup.label);
    summarise(flight, options.launch);
    return flight;
}

int runLab(const LabOptions& options, std::ostream& out, std::ostream& err) {
    fs::create_directories(options.outDir);
    const fs::path runs = options.outDir / "runs";
    fs::create_directories(runs);

    std::vector<Setup> setups;
    for (const auto& p : options.presets) setups.push_back(setupFor(p));
    std::vector<Setup> sweepSetups;
    if (options.sweep) {
        const Sweep& s = *options.sweep;
        for (int i = 0; i < s.steps; ++i) {
            const double value = s.from + (s.to - s.from) * i / (s.steps - 1);
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.5f", value);
            Setup setup = setupFor(s.preset);
            setup.overrideVar = s.variable;
            setup.overrideValue = buf;
            std::snprintf(buf, sizeof buf, "%g", value);
            setup.label = s.variable + " " + buf + " on " + s.preset;
            sweepSetups.push_back(setup);
        }
    }

    const std::size_t total = setups.size() + sweepSetups.size();
    std::size_t done = 0;
    auto flyAll = [&](const std::vector<Setup>& list, std::vector<Flight>& flights) {
        for (const auto& setup : list) {
            ++done;
            err << "flightlab: flight " << done << " of " << total << ": " << setup.label
                << std::endl;
            flights.push_back(fly(options, setup, runs / ("flight" + std::to_string(done))));
        }
    };
    std::vector<Flight> flights, sweepFlights;
    flyAll(setups, flights);
    flyAll(sweepSetups, sweepFlights);

    // Base presets are shown with the labels of the settings window.
    const auto labels = baseLabels(runs / "flight1");
    for (auto& f : flights)
        if (isBaseIndex(f.setup.label) && !labels[static_cast<std::size_t>(f.setup.label[0] - '0')].empty())
            f.setup.label += " " + labels[static_cast<std::size_t>(f.setup.label[0] - '0')];

    std::ostringstream launch;
    launch << "launch: " << options.launch.speedUu << " uu/s, pitched " << options.launch.pitchDeg
           << " deg up, from " << options.launch.heightUu << " uu high, boost held "
           << options.launch.boostSeconds << " s";
    out << launch.str() << "\n\n";
    writeTable(out, flights);
    if (!sweepFlights.empty()) {
        out << "\nsweep of " << options.sweep->variable << ":\n";
        writeTable(out, sweepFlights);
    }

    std::vector<Flight> all = flights;
    all.insert(all.end(), sweepFlights.begin(), sweepFlights.end());
    std::ostringstream csv;
    writeCsv(csv, all);
    const fs::path csvPath = options.outDir / "trajectories.csv";
    writeFileChecked(csvPath, csv.str());
    err << "flightlab: trajectories of every flight: " << csvPath.string() << std::endl;

    const fs::path plotPath = options.outDir / "side-view.png";
    if (const auto e = writeSideView(plotPath, flights, "Side view, " + launch.str()); !e.empty())
        throw std::runtime_error(e);
    err << "flightlab: side view: " << plotPath.string() << std::endl;
    if (!sweepFlights.empty()) {
        const fs::path sweepPath = options.outDir / "sweep.png";
        if (const auto e = writeSideView(sweepPath, sweepFlights,
                                         "Sweep of " + options.sweep->variable + ", " + launch.str());
            !e.empty())
            throw std::runtime_error(e);
        err << "flightlab: sweep side view: " << sweepPath.string() << std::endl;
    }

    if (!options.hudPreset.empty()) {
        const Setup setup = setupFor(options.hudPreset);
        const Flight* flight = nullptr;
        for (const auto& f : flights)
            if (f.setup.preset == setup.preset && f.setup.modelOn == setup.modelOn) flight = &f;
        if (flight == nullptr) {
            err << "flightlab: no HUD picture: preset " << options.hudPreset
                << " was not flown" << std::endl;
        } else {
            const fs::path hudPath = fs::absolute(options.outDir / "hud-apex.png");
            const auto result = runScript(
                options.program, runs / "hud",
                flightScript(options.launch, setup, std::max(1, flight->apexTick), hudPath.string()));
            if (result.exitCode != 0 || !fs::exists(hudPath))
                throw std::runtime_error("wingleaf-host could not draw the HUD: " + result.err);
            err << "flightlab: HUD at the top of the flight of " << flight->setup.label << ": "
                << (options.outDir / "hud-apex.png").string() << std::endl;
        }
    }
    return 0;
}

}  // namespace flightlab
