// Flies many flights in this process over the host library with the real plug-in loaded once.
#include "Engine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>

#include "Core.h"
#include "Job.h"
#include "app/Session.h"
#include "common/AtomicFile.h"
#include "console/Console.h"
#include "console/SettingsWindows.h"
#include "game/Game.h"
#include "loader/PluginLoader.h"
#include "presets/PresetMessages.h"
#include "presets/PresetProcedures.h"
#include "presets/PresetStorage.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

// The settings windows' code of a drop-down list.
constexpr int kDropDown = 6;

// The car's state after `tick`, appended to `samples`. Built in place from every field: a
// sample value-initialised first, or built aside and copied in, costs a zero fill and a reload
// of half-written memory every tick.
const Sample& appendSample(std::vector<Sample>& samples, const host::Car& car, int tick) {
    const RBState& rb = car.rb;
    return samples.emplace_back(tick, rb.Location.X, rb.Location.Y, rb.Location.Z,
                                rb.LinearVelocity.X, rb.LinearVelocity.Y, rb.LinearVelocity.Z,
                                rb.Quaternion.W, rb.Quaternion.X, rb.Quaternion.Y, rb.Quaternion.Z,
                                rb.AngularVelocity.X, rb.AngularVelocity.Y, rb.AngularVelocity.Z,
                                car.onGround != 0);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

// The start of the plug-in's line for a lock another program kept.
std::string lockBusyLead() {
    const std::string line = presetmsg::lockBusy("");
    return line.substr(0, line.find(" ("));
}

// Refuses NAME when a preset of that name exists (listed, or something other than a file at
// its path), looked for while holding the presets' lock as the
// plug-in takes it (waiting as long as the plug-in would). The lock goes before the plug-in's own
// creation takes it again.
void refuseExisting(const std::string& name) {
    const std::string lockPath = std::string(kPresetDirectory) + "/wingleaf.lock";
    std::error_code ec;
    fs::create_directories(kPresetDirectory, ec);
    const int fd =
        ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string error = fd < 0 ? std::strerror(errno) : "not a regular file";
        if (fd >= 0) ::close(fd);
        throw JobRefused(presetmsg::lockFailed(lockPath, error), false);
    }
    const auto deadline = std::chrono::steady_clock::now() + PresetIo{}.lockWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            throw JobRefused(presetmsg::lockBusy(lockPath), true);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    // A file that no entry lists is a crash's leftover, which the plug-in's creation replaces.
    const bool exists = presetNameTaken(fs::current_path(), name);
    ::close(fd);
    if (exists) throw JobRefused("a preset named '" + name + "' exists already", true);
}

}  // namespace

// The host session, its console lines kept for error messages; the streams outlive it.
struct FlightEngine::Host {
    explicit Host(const host::SessionConfig& config) : session(config, out, err) {}
    std::ostringstream out, err;
    host::Session session;
    host::Console& console = session.console();
    host::Game& game = session.game();
};

// Exactly the fields the release lines set: extent (when the body is known), on_ground,
// location, velocity, angular_velocity, quaternion, and the whole held input.
struct FlightEngine::Release {
    Launch launch;
    std::string body;
    bool hasExtent = false;
    Vector extent;
    unsigned long onGround = 0;
    Vector location, velocity, angularVelocity;
    Quat quaternion;
    host::ControllerInput input;

    void take(const host::Car& car, const host::ControllerInput& in) {
        extent = car.extent;
        onGround = car.onGround;
        location = car.rb.Location;
        velocity = car.rb.LinearVelocity;
        angularVelocity = car.rb.AngularVelocity;
        quaternion = car.rb.Quaternion;
        input = in;
    }
    void give(host::Car& car, host::ControllerInput& in) const {
        if (hasExtent) car.extent = extent;
        car.onGround = onGround;
        car.rb.Location = location;
        car.rb.LinearVelocity = velocity;
        car.rb.AngularVelocity = angularVelocity;
        car.rb.Quaternion = quaternion;
        in = input;
    }
};

FlightEngine::FlightEngine(const fs::path& plugin, const fs::path& root,
                           const std::vector<fs::path>& presetFiles, bool layOut) {
    const fs::path pluginPath = fs::absolute(plugin);
    std::vector<fs::path> presets;
    for (const auto& f : presetFiles) presets.push_back(fs::absolute(f));
    fs::create_directories(root);
    fs::current_path(root);
    host::SessionConfig config;
    config.scriptBase = fs::current_path();
    config.layOut = layOut;
    host_ = std::make_unique<Host>(config);
    auto& h = *host_;
    if (!h.session.installed())
        throw std::runtime_error("cannot lay out a game folder in " + root.string() + ": " + h.err.str());
    fs::create_directories(kPresetDirectory);
    for (const auto& f : presets) {
        std::string error;
        if (!host::copyReplacing(f, fs::path(kPresetDirectory) / f.filename(), error)) throw std::runtime_error(error);
    }
    if (!h.session.loader().load(pluginPath.string()))
        throw std::runtime_error("cannot load the plug-in " + pluginPath.string() + ": " + h.err.str());
    for (Slider slider : kSliders) {
        const std::string name(sliderName(slider));
        host::Variable* v = h.console.findVariable(name);
        if (v == nullptr) throw std::runtime_error("the plug-in has no slider " + name);
        ranges_[sliderIndex(slider)] = {v->def.min, v->def.max, host::toFloat(v->def.defaultValue)};
    }
}

FlightEngine::~FlightEngine() = default;

std::string FlightEngine::run(const std::string& line) {
    auto& h = *host_;
    h.err.str("");
    h.out.str("");
    if (!h.console.execute(line) || !h.err.str().empty())
        throw std::runtime_error("the host refused '" + line + "': " + h.err.str());
    std::string said = h.out.str();
    h.out.str("");
    return said;
}

// Everything a flight could inherit from the one before: the model switched off first (it puts
// the car's stock values back), every variable of the plug-in at its default, the player's
// input released; the flight's first line then builds a fresh game.
void FlightEngine::reset() {
    auto& h = *host_;
    run("wl_enabled 0");
    for (host::Variable* v : h.console.variables())
        if (v->owner != nullptr) h.console.restoreVariable(*v, v->def.defaultValue);
    h.game.localInput() = host::ControllerInput{};
}

namespace {

// The same launch to the bit: -0 and 0 are written "-0" and "0", and so set a car up apart.
bool sameLaunch(const Launch& a, const Launch& b) {
    static_assert(std::is_trivially_copyable_v<Launch>, "a launch is compared byte by byte");
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

// A launch flown again on the same body skips formatting its numbers and parsing them back:
// the state the lines left last time is written as it is, bit for bit.
void FlightEngine::release(const Launch& launch, const Setup& setup) {
    auto& game = host_->game;
    host::Car* car = game.localCar();
    if (car == nullptr) throw std::runtime_error("the game has no car");
    for (const Release& r : releases_) {
        if (sameLaunch(r.launch, launch) && r.body == setup.body) {
            r.give(*car, game.localInput());
            return;
        }
    }
    for (const auto& line : releaseLines(launch, setup)) run(line);
    car = game.localCar();
    if (car == nullptr) throw std::runtime_error("the game has no car");
    Release kept;
    kept.launch = launch;
    kept.body = setup.body;
    kept.hasExtent = findBody(setup.body).has_value();
    kept.take(*car, game.localInput());
    if (releases_.size() < kKeptReleases)
        releases_.push_back(std::move(kept));
    else
        releases_[nextRelease_++ % kKeptReleases] = std::move(kept);
}

void FlightEngine::setUp(const Launch& launch, const Setup& setup) {
    reset();
    for (const auto& line : modelLines(setup)) run(line);
    release(launch, setup);
}

SliderValues FlightEngine::currentSliders() {
    SliderValues values;
    for (Slider slider : kSliders)
        values[slider] = host::toFloat(host_->console.findVariable(std::string(sliderName(slider)))->value);
    return values;
}

// The one tick loop: sets the flight up, shows `onTick` the released car (tick 0), then ticks
// with the boost let go on time until `onTick` (shown the car and the tick after each tick)
// answers false or `lastTick` is done.
template <typename OnTick>
void FlightEngine::tickThrough(const Launch& launch, const Setup& setup, int lastTick, OnTick&& onTick) {
    setUp(launch, setup);
    auto& game = host_->game;
    const int boostTicks = ticksFor(launch.boostSeconds);
    if (!onTick(std::as_const(*game.localCar()), 0)) return;
    for (int tick = 1; tick <= lastTick; ++tick) {
        if (tick - 1 == boostTicks) game.localInput().boost = false;
        game.tick(1);
        host::Car* car = game.localCar();
        if (car == nullptr) throw std::runtime_error("the car left the game during the flight");
        if (!onTick(std::as_const(*car), tick)) return;
    }
}

Flight FlightEngine::fly(const Launch& launch, const Setup& setup, bool keepSamples) {
    Flight flight;
    flight.setup = setup;
    const int lastTick = ticksFor(launch.timeLimitS);
    // The figures need every tick; without `keepSamples` they are gathered in a buffer kept
    // for the next flight.
    std::vector<Sample>& samples = keepSamples ? flight.samples : scratch_;
    samples.clear();
    samples.reserve(static_cast<std::size_t>(lastTick) + 1);
    tickThrough(launch, setup, lastTick, [&](const host::Car& car, int tick) {
        if (tick == 0) flight.sliders = currentSliders();
        const Sample& s = appendSample(samples, car, tick);
        return tick == 0 || !touchedDown(s);
    });
    flight.figures = figuresOf(samples, launch);
    return flight;
}

void FlightEngine::drawAt(const Launch& launch, const Setup& setup, int tick, const std::string& file) {
    tickThrough(launch, setup, tick, [](const host::Car&, int) { return true; });
    // sim_draw names the picture it wrote on the error stream; only a failure counts.
    auto& h = *host_;
    h.err.str("");
    if (!h.console.execute("sim_draw \"" + file + "\""))
        throw std::runtime_error("the host could not draw '" + file + "': " + h.err.str());
    h.out.str("");
}

fs::path FlightEngine::createPreset(const SliderValues& values, const std::string& name, bool onlyNew) {
    for (Slider slider : kSliders) run(std::string(sliderName(slider)) + " " + sliderText(values[slider]));
    run("wl_name_preset \"" + name + "\"");
    const fs::path file = fs::absolute(fs::path(kPresetDirectory) / (name + ".txt"));
    if (onlyNew) refuseExisting(name);
    const std::vector<std::string> said = linesOf(run("wl_create 1"));
    auto saidLine = [&](const std::string& line) {
        return std::find(said.begin(), said.end(), line) != said.end();
    };
    // Saved: the preset file written and the name listed (newly, or listed already).
    if (saidLine(presetmsg::wrotePresetFile(name)) &&
        (saidLine(presetmsg::added(name)) || saidLine(presetmsg::kNameExists)))
        return file;
    // The plug-in's last line that is not a step of a creation says why.
    const std::string steps[] = {presetmsg::kCreatedDirectory, presetmsg::kDirectoryExists,
                                 presetmsg::kWroteTemp, presetmsg::kPermissionsUpdated,
                                 presetmsg::wrotePresetFile(name)};
    std::string why = "it gave no reason";
    for (const std::string& line : said)
        if (std::find(std::begin(steps), std::end(steps), line) == std::end(steps)) why = line;
    throw JobRefused("the plug-in did not create the preset " + name + ": " + why,
                     why.rfind(lockBusyLead(), 0) == 0);
}

SliderValues FlightEngine::sliders(const Setup& setup) {
    reset();
    for (const auto& line : modelLines(setup)) run(line);
    return currentSliders();
}

SliderValues FlightEngine::readPreset(const std::string& text) {
    Setup scratch;
    scratch.modelOn = true;
    scratch.preset = "read";
    const fs::path file = fs::path(kPresetDirectory) / (scratch.preset + ".txt");
    std::string error;
    if (!host::replaceFile(file, text, error)) throw std::runtime_error(error);
    const SliderValues values = sliders(scratch);
    std::error_code ec;
    fs::remove(file, ec);
    return values;
}

namespace {

// The options of the preset drop-down of the settings window installed in ROOT, as (label,
// value), read by the host's own reader of settings files; none when it has no preset line.
std::vector<std::pair<std::string, std::string>> presetOptionsIn(const fs::path& root) {
    const fs::path file = root / kSettingsPath;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::string> problems;
    const host::SettingsWindow window = host::parseSettingsFile(file.filename().string(), text.str(), problems);
    for (const host::SettingsControl& c : window.controls)
        if (c.code == kDropDown && c.params.size() >= 2 && c.params[1] == "wl_preset") return c.options;
    return {};
}

}  // namespace

std::vector<std::string> baseLabelsIn(const fs::path& root) {
    std::vector<std::string> labels(basePresetCount());
    for (const auto& [label, value] : presetOptionsIn(root))
        if (isBasePreset(value)) labels[std::stoul(value)] = label;
    return labels;
}

std::set<std::string> userPresetsListedIn(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& [label, value] : presetOptionsIn(root))
        if (label == value && !isBasePreset(value)) names.insert(value);
    return names;
}

std::vector<std::string> userPresetsIn(const fs::path& root, std::size_t most) {
    const fs::path folder = (root / kPresetDirectory).lexically_normal();
    const std::set<std::string> listed = userPresetsListedIn(root);
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& p = entry.path();
        if (p.extension() != ".txt" || !entry.is_regular_file(ec)) continue;
        const std::string name = p.stem().string();
        // As the game's drop-down offers them: a file its list does not name is no preset.
        if (listed.count(name) != 0 && presetRefusal(name, folder).empty()) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.size() > most) names.resize(most);
    return names;
}

bool presetNameTaken(const fs::path& root, const std::string& name) {
    std::error_code ec;
    const fs::file_status there = fs::symlink_status(root / kPresetDirectory / (name + ".txt"), ec);
    return userPresetsListedIn(root).count(name) != 0 || (fs::exists(there) && !fs::is_regular_file(there));
}

}  // namespace flightlab
