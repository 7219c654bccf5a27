// The lab's one set of rules under both front ends (the command line and the workbench): slider
// values at a preset's precision, what is refused and in which words, targets and their verdict.
#pragma once
#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"
#include "Flight.h"

namespace flightlab {

// A request the lab refuses (a value out of a slider's range, an impossible target, an unknown
// preset): each front end reports it as its own usage error, in these words.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Decimals a preset file keeps of each slider value.
inline constexpr int kPresetDecimals = 3;

// The value a preset file keeps of VALUE: the float the console sets from it, written with
// three decimals as the plug-in writes a preset, and read back as the plug-in reads one. Every
// slider value the lab flies is first made this, so that a saved preset flies as it flew.
float presetValue(double value);
// SETTINGS with each value made a preset's.
SliderSettings presetValues(const SliderSettings& settings);

// "" when VALUE is within the slider's range as the plug-in registered it (compared as the float
// the console would hold, so that the typed 0.000499 is wl_speed's minimum), else why not:
// "wl_speed takes a value from 0.000499 to 10, not 99".
std::string sliderRefusal(Slider slider, double value, const SliderRanges& ranges);
// "unknown slider 'wl_lfit' (sliders: wl_speed, ..., wl_throttle)".
std::string unknownSliderRefusal(std::string_view name);

// What flies for one entry of a preset list: "stock" (the model off), a base preset index or a
// user preset name.
Setup setupFor(const std::string& preset);
// "" for a name a user preset can go by in a console line and a path, else why not.
std::string presetNameProblem(std::string_view name);
// "" when PRESET is a base preset or a name a user preset can have, else the refusal:
// "preset '9': base presets are 0 to 5", "user preset 'a/b' may not hold ... slashes ...".
std::string presetNameRefusal(const std::string& preset);
// As presetNameRefusal, and a user preset must be a preset file NAME.txt of DIR:
// "user preset 'Glide': no preset file DIR/Glide.txt".
std::string presetRefusal(const std::string& preset, const std::filesystem::path& dir);
// The user presets of the game folder ROOT that its settings window lists and the lab can fly,
// sorted, at most MOST: what a worker playing in that folder answers a ListPresets job with.
std::vector<std::string> userPresetsIn(const std::filesystem::path& root, std::size_t most);

// The flight a tuned preset should give; unset figures are not sought. A relative target is a
// factor of stock's figure at the same launch (airtime=1.5x).
struct TuneTargets {
    std::optional<double> airtimeS, distanceUu, topHeightUu, landingSpeedUu;
    struct Relative {
        bool airtime = false, distance = false, top = false, landing = false;
    } relative;
    bool any() const { return airtimeS || distanceUu || topHeightUu || landingSpeedUu; }
    bool anyRelative() const {
        return relative.airtime || relative.distance || relative.top || relative.landing;
    }
    // The absolute targets at a launch where stock flew STOCK; throws UsageError when a
    // relative target comes to nothing there.
    TuneTargets against(const Figures& stock) const;
};

// A figure a target may name.
struct TargetFigure {
    const char* key;   // as the targets are typed: "airtime", "landing"
    const char* name;  // as the tables print it: "airtime s"
    int decimals;      // as the tables print it
    std::optional<double> TuneTargets::*target;
    bool TuneTargets::Relative::*relative;
    double Figures::*figure;
};
extern const std::array<TargetFigure, 4> kTargetFigures;

// "" when a flight of LAUNCH can meet the targets, else why not: "an airtime of 30 s is beyond
// the time limit of 10 s", "a top height of 100 uu is below the launch height of 300 uu: ...".
std::string targetRefusal(const TuneTargets& targets, const Launch& launch);

// The largest relative miss of a met target, unless a tune says otherwise.
inline constexpr double kDefaultTolerance = 0.01;

// One target against the flight: the miss is relative ((flown - target) / target); a flight
// still airborne at the time limit never meets an airtime target.
struct VerdictRow {
    const TargetFigure* figure;
    double target, flown, miss;
    bool cutOff;
    bool met;
};
// A row for each target set in ABSOLUTE (resolved against stock), in kTargetFigures' order.
std::vector<VerdictRow> verdict(const TuneTargets& absolute, const Figures& flown,
                                double tolerance);
bool allMet(const std::vector<VerdictRow>& rows);

}  // namespace flightlab
