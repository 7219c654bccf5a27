// The workbench's requests: JSON bodies decoded into checked values, or an error naming the
// field at fault.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"
#include "Flight.h"

namespace flightlab::server {

// Limits that bound the work of one request.
inline constexpr std::size_t kMaxBodyBytes = 64 * 1024;
inline constexpr std::size_t kMaxSetups = 8;
inline constexpr double kMaxTimeLimitS = 20;
inline constexpr int kMaxGridSide = 12;
inline constexpr std::size_t kMaxLabelBytes = 64;

// A refused request: the field at fault ("" for the body as a whole) and why.
struct RequestError {
    std::string field;
    std::string message;
};

// The slider vocabulary the values are checked against, as the loaded plug-in registered it.
using SliderRanges = std::array<SliderRange, kSliderCount>;

// One set-up to fly: the stock car, or the model on with a base or user preset and/or every
// slider's value.
struct SetupRequest {
    std::string label;
    bool modelOn = true;
    std::string preset;                   // "" for none
    std::vector<std::pair<int, double>> sliders;  // slider index, value: set after the preset
    std::string body = "octane";
};

struct FlyRequest {
    Launch launch;
    std::vector<SetupRequest> setups;
    bool samples = true;  // false: figures only
};

struct GridRequest {
    Launch launch;
    SetupRequest setup;
    int speeds = 7, pitches = 7;
    double speedFrom = 1000, speedTo = 2300;
    double pitchFrom = 0, pitchTo = 45;
};

// A tune target: a figure sought, either absolute or as a factor of stock's figure.
struct TargetRequest {
    std::optional<double> value;
    std::optional<double> relativeToStock;
};

struct TuneRequest {
    Launch launch;
    std::string body = "octane";
    TargetRequest airtime, distance, top, landing;
    std::optional<SliderValues> start;                     // default: the defaults
    std::vector<std::pair<int, double>> fixed;             // slider index, value held
    unsigned seed = 1;
};

struct SaveRequest {
    std::string name;
    SliderValues sliders{};
    bool overwrite = false;
};

struct HudRequest {
    Launch launch;
    SetupRequest setup;
    int tick = 0;
};

struct PresetFileRequest {
    SliderValues sliders{};
};

struct PresetTextRequest {
    std::string text;  // the content of a preset file
};

// Each decoder parses BODY and checks every value; throws RequestError.
FlyRequest decodeFly(std::string_view body, const SliderRanges& ranges);
GridRequest decodeGrid(std::string_view body, const SliderRanges& ranges);
TuneRequest decodeTune(std::string_view body, const SliderRanges& ranges);
SaveRequest decodeSave(std::string_view body, const SliderRanges& ranges);
HudRequest decodeHud(std::string_view body, const SliderRanges& ranges);
PresetFileRequest decodePresetFile(std::string_view body, const SliderRanges& ranges);
PresetTextRequest decodePresetText(std::string_view body);

// A preset name as the page shows it: the name itself when it is UTF-8, else with each byte
// that is not part of a UTF-8 character written as \xHH (a backslash is never part of a name).
std::string shownName(std::string_view name);
// The name a shown name stands for: each \x80 to \xFF back to its byte.
std::string nameOfShown(std::string_view shown);

// A preset name the plug-in's console line can carry and no path can be made of; "" when
// fine, else why not.
std::string nameProblem(std::string_view name);

}  // namespace flightlab::server
