// Flies many flights in this process over the host library with the real plug-in loaded once.
#include "Engine.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "app/Installation.h"
#include "canvas/DrawCommands.h"
#include "console/Console.h"
#include "game/Game.h"
#include "game/SimCommands.h"
#include "loader/PluginLoader.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

constexpr int kCanvasWidthPx = 1920;
constexpr int kCanvasHeightPx = 1080;

Sample sampleOf(host::Car& car, int tick) {
    const auto& rb = car.rb;
    Sample s;
    s.tick = tick;
    s.x = rb.Location.X, s.y = rb.Location.Y, s.z = rb.Location.Z;
    s.vx = rb.LinearVelocity.X, s.vy = rb.LinearVelocity.Y, s.vz = rb.LinearVelocity.Z;
    s.qw = rb.Quaternion.W, s.qx = rb.Quaternion.X, s.qy = rb.Quaternion.Y, s.qz = rb.Quaternion.Z;
    s.wx = rb.AngularVelocity.X, s.wy = rb.AngularVelocity.Y, s.wz = rb.AngularVelocity.Z;
    s.onGround = car.onGround != 0;
    return s;
}

}  // namespace

// Declared in this order so that the plug-in is unloaded before the game and the console go.
struct FlightEngine::Host {
    std::ostringstream out, err;
    host::Console console{out, err};
    host::Game game;
    host::PluginLoader loader{console, "bakkesmod/plugins", ""};
};

FlightEngine::FlightEngine(const fs::path& plugin, const fs::path& root,
                           const std::vector<fs::path>& presetFiles, bool layOut) {
    const fs::path pluginPath = fs::absolute(plugin);
    std::vector<fs::path> presets;
    for (const auto& f : presetFiles) presets.push_back(fs::absolute(f));
    fs::create_directories(root);
    fs::current_path(root);
    host_ = std::make_unique<Host>();
    auto& h = *host_;
    if (layOut && !host::layOutInstallation(".", h.console))
        throw std::runtime_error("cannot lay out a game folder in " + root.string() + ": " + h.err.str());
    fs::create_directories("bakkesmod/wingleaf");
    for (const auto& f : presets)
        fs::copy_file(f, fs::path("bakkesmod/wingleaf") / f.filename(),
                      fs::copy_options::overwrite_existing);
    h.loader.setGame(&h.game, [this](const host::PluginContext* c) { host_->game.dropOwner(c); });
    host::registerSimCommands(h.console, h.game);
    host::registerDrawCommands(h.console, h.game, kCanvasWidthPx, kCanvasHeightPx);
    // The plug-in asks for this after it edits its settings window; the lab shows no window.
    h.console.addHostCommand("cl_settings_refreshplugins", "re-reads the settings windows",
                             [](const host::Words&) { return true; });
    if (!h.loader.load(pluginPath.string()))
        throw std::runtime_error("cannot load the plug-in " + pluginPath.string() + ": " + h.err.str());
    for (std::size_t i = 0; i < kSliderCount; ++i) {
        host::Variable* v = h.console.findVariable(std::string(kSliderNames[i]));
        if (v == nullptr)
            throw std::runtime_error("the plug-in has no slider " + std::string(kSliderNames[i]));
        ranges_[i] = {v->def.min, v->def.max, host::toFloat(v->def.defaultValue)};
    }
}

FlightEngine::~FlightEngine() {
    if (host_) host_->loader.unloadAll();
}

void FlightEngine::run(const std::string& line) {
    auto& h = *host_;
    h.err.str("");
    if (!h.console.execute(line) || !h.err.str().empty())
        throw std::runtime_error("the host refused '" + line + "': " + h.err.str());
    h.out.str("");
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

void FlightEngine::setUp(const Launch& launch, const Setup& setup) {
    reset();
    for (const auto& line : setupLines(launch, setup)) run(line);
    if (host_->game.localCar() == nullptr) throw std::runtime_error("the game has no car");
}

SliderValues FlightEngine::currentSliders() {
    SliderValues values{};
    for (std::size_t i = 0; i < kSliderCount; ++i)
        values[i] = host::toFloat(host_->console.findVariable(std::string(kSliderNames[i]))->value);
    return values;
}

Flight FlightEngine::fly(const Launch& launch, const Setup& setup, bool keepSamples) {
    setUp(launch, setup);
    auto& game = host_->game;
    Flight flight;
    flight.setup = setup;
    flight.sliders = currentSliders();
    const int boostTicks = ticksFor(launch.boostSeconds);
    const int lastTick = ticksFor(launch.timeLimitS);
    // The figures need every tick; without `keepSamples` they are gathered in a buffer kept
    // for the next flight.
    std::vector<Sample>& samples = keepSamples ? flight.samples : scratch_;
    samples.clear();
    samples.reserve(static_cast<std::size_t>(lastTick) + 1);
    samples.push_back(sampleOf(*game.localCar(), 0));
    for (int tick = 1; tick <= lastTick; ++tick) {
        if (tick - 1 == boostTicks) game.localInput().boost = false;
        game.tick(1);
        host::Car* car = game.localCar();
        if (car == nullptr) throw std::runtime_error("the car left the game during the flight");
        samples.push_back(sampleOf(*car, tick));
        if (touchedDown(samples.back())) break;
    }
    flight.figures = figuresOf(samples, launch);
    return flight;
}

void FlightEngine::drawAt(const Launch& launch, const Setup& setup, int tick, const std::string& file) {
    setUp(launch, setup);
    auto& game = host_->game;
    const int boostTicks = ticksFor(launch.boostSeconds);
    for (int t = 1; t <= tick; ++t) {
        if (t - 1 == boostTicks) game.localInput().boost = false;
        game.tick(1);
    }
    // sim_draw names the picture it wrote on the error stream; only a failure counts.
    auto& h = *host_;
    h.err.str("");
    if (!h.console.execute("sim_draw \"" + file + "\""))
        throw std::runtime_error("the host could not draw '" + file + "': " + h.err.str());
    h.out.str("");
}

fs::path FlightEngine::createPreset(const std::vector<std::string>& values, const std::string& name) {
    for (std::size_t i = 0; i < kSliderCount && i < values.size(); ++i)
        run(std::string(kSliderNames[i]) + " " + values[i]);
    run("wl_name_preset \"" + name + "\"");
    run("wl_create 1");
    const fs::path file = fs::absolute(fs::path("bakkesmod/wingleaf") / (name + ".txt"));
    if (!fs::exists(file))
        throw std::runtime_error("the plug-in did not create the preset " + name + ": " +
                                 host_->out.str());
    return file;
}

std::vector<std::string> baseLabelsIn(const fs::path& root) {
    std::vector<std::string> labels(6);
    std::ifstream in(root / "bakkesmod/plugins/settings/wingleaf.set");
    std::string line;
    while (std::getline(in, line)) {
        if (line.find("wl_preset") == std::string::npos) continue;
        std::istringstream options(line.substr(line.rfind('|') + 1));
        std::string option;
        while (std::getline(options, option, '&')) {
            const auto at = option.rfind('@');
            if (at == std::string::npos || at + 2 != option.size()) continue;
            const char index = option[at + 1];
            if (index >= '0' && index <= '5')
                labels[static_cast<std::size_t>(index - '0')] = option.substr(0, at);
        }
        break;
    }
    return labels;
}

}  // namespace flightlab
