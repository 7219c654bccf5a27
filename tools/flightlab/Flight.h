// One simulated flight: the launch, the set-up that flies it, the car body, and its trajectory.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Figures.h"
#include "Launch.h"
#include "sliders/SliderValues.h"

namespace flightlab {

// A hitbox family: its name and the full size of its collision box, uu.
struct Body {
    std::string_view name;
    double lengthUu, widthUu, heightUu;
};

inline constexpr std::array<Body, 6> kBodies{{
    {"octane", 120.507, 86.699, 38.659},
    {"dominus", 130.427, 85.780, 33.8},
    {"plank", 131.32, 87.170, 31.894},
    {"breakout", 133.992, 83.021, 32.8},
    {"hybrid", 129.519, 84.688, 36.659},
    {"merc", 123.22, 79.210, 44.159},
}};

// The body of that name, or nothing.
std::optional<Body> findBody(std::string_view name);

// The slider of a console name (wl_lift), or nothing; and a slider's console name.
std::optional<Slider> sliderNamed(std::string_view name);
inline std::string_view sliderName(Slider slider) { return sliderSpec(slider).name; }

// The shortest text that reads back as exactly VALUE: what a console line sets a slider with.
std::string sliderText(float value);

// Sliders set after the preset, in order: each value a float as the console holds it.
using SliderSettings = std::vector<std::pair<Slider, float>>;

// The number of base presets the plug-in brings (0 is the defaults).
std::size_t basePresetCount();
// True when `wl_preset TEXT` selects a base preset: an index below basePresetCount() written
// as the plug-in reads it, without sign or leading zero.
bool isBasePreset(std::string_view text);

// What flies: the stock car (model off), a base preset index, or a user preset name, on one
// body, optionally with sliders set afterwards.
struct Setup {
    std::string label;          // shown in the tables, CSV and plots
    bool modelOn = false;
    std::string preset;         // value given to wl_preset ("" for none)
    SliderSettings overrides;   // set after the preset
    std::string body = "octane";
};

struct Flight {
    Setup setup;
    std::vector<Sample> samples;  // from release to the first sample on the floor (or the time limit)
    Figures figures;
    SliderValues sliders;         // the slider values the flight flew with
    std::vector<std::string> presets;  // a ListPresets job: the user presets listed
};

// Whole ticks in a span of seconds.
int ticksFor(double seconds);

// The console lines that set the flight up; flying adds the ticks. They are the model's lines
// (a fresh game, the preset, the sliders, the switch) followed by the release lines (the car's
// box, place, motion and orientation, and the held input), which touch the car and the input only.
std::vector<std::string> setupLines(const Launch& launch, const Setup& setup);
std::vector<std::string> modelLines(const Setup& setup);
std::vector<std::string> releaseLines(const Launch& launch, const Setup& setup);

// Thins the samples to at most MOST (at least 4), keeping the release, the apex, the last one
// and evenly spaced ones between: what a picture can show of a long flight.
void keepAtMost(Flight& flight, std::size_t most);

// Cuts the samples after the first one on the floor and fills the figures of the flight.
void summarise(Flight& flight, const Launch& launch);

}  // namespace flightlab
