// Flies many flights in this process: the host library's console and game with the real
// plug-in loaded once, the car's state read directly after every tick.
#pragma once
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Flight.h"

namespace flightlab {

// A slider's console range and default, as the loaded plug-in registered it.
struct SliderRange {
    double min = 0, max = 0, defaultValue = 0;
};

// The labels of the base presets as the settings window installed in the game folder ROOT
// shows them ("" where it names none).
std::vector<std::string> baseLabelsIn(const std::filesystem::path& root);

// The user presets that window's preset drop-down lists: a preset file no option names (a crash
// may leave one) is none.
std::set<std::string> userPresetsListedIn(const std::filesystem::path& root);

// True when saving the preset NAME in ROOT replaces another: the list names it, or what has its
// file's name is no regular file. A file the list does not name is a leftover, free to replace.
bool presetNameTaken(const std::filesystem::path& root, const std::string& name);

class FlightEngine {
public:
    // Makes ROOT the working directory (the plug-in's paths are relative to the game's
    // folder), lays out the installation there when `layOut`, copies the user preset files
    // into its preset folder and loads the plug-in. Throws std::runtime_error on failure.
    // One engine per process: the plug-in library holds one plug-in.
    FlightEngine(const std::filesystem::path& plugin, const std::filesystem::path& root,
                 const std::vector<std::filesystem::path>& presetFiles = {}, bool layOut = true);
    ~FlightEngine();
    FlightEngine(const FlightEngine&) = delete;
    FlightEngine& operator=(const FlightEngine&) = delete;

    // Flies one set-up from a fresh game and fresh console variables, so that the result does
    // not depend on earlier flights. Stops at touchdown or the time limit. Without
    // `keepSamples` the flight holds its figures but no samples. Throws on a console line the
    // host refuses.
    Flight fly(const Launch& launch, const Setup& setup, bool keepSamples = true);

    // Flies the set-up up to `tick` and draws the plug-in's HUD there into FILE (a PNG).
    void drawAt(const Launch& launch, const Setup& setup, int tick, const std::string& file);

    // Sets the sliders (value texts in slider order) and saves them as the user preset NAME
    // through the plug-in's own creation procedure; returns the preset file it wrote. Success is
    // what the plug-in says: JobRefused with its reason otherwise. With `onlyNew`, a preset of
    // that name is looked for under the presets' lock first and refused (JobRefused, conflict).
    std::filesystem::path createPreset(const std::vector<std::string>& values,
                                       const std::string& name, bool onlyNew = false);

    const std::array<SliderRange, kSliderCount>& sliderRanges() const { return ranges_; }

private:
    struct Host;
    // The car and input state the release lines of one launch and body leave on a fresh game,
    // kept so that a later flight of the same launch and body is given it without the lines.
    struct Release;
    void reset();
    // Runs one console line; returns what it printed. Throws when the host refuses it.
    std::string run(const std::string& line);
    void setUp(const Launch& launch, const Setup& setup);
    template <typename OnTick>
    void tickThrough(const Launch& launch, const Setup& setup, int lastTick, OnTick&& onTick);
    SliderValues currentSliders();

    void release(const Launch& launch, const Setup& setup);

    std::unique_ptr<Host> host_;
    // The launches flown last, at most kKeptReleases of them: a grid or a tune flies the same
    // few launches over and over, one set-up after another.
    static constexpr std::size_t kKeptReleases = 256;
    std::vector<Release> releases_;
    std::size_t nextRelease_ = 0;
    std::array<SliderRange, kSliderCount> ranges_{};
    std::vector<Sample> scratch_;
};

}  // namespace flightlab
