// The lab's one set of rules under both front ends: slider values at a preset's precision,
// refusals, targets and their verdict.
#include "Core.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "presets/PresetStorage.h"

namespace flightlab {

namespace fs = std::filesystem;

namespace {

// True when the whole text, blanks around it aside, reads as a number (decimal, hexadecimal,
// an infinity or a NaN, signed or not): the plug-in's selection reads such a name as an index.
bool readsAsNumber(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return false;
    const std::string trimmed = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    char* end = nullptr;
    std::strtod(trimmed.c_str(), &end);
    return end == trimmed.c_str() + trimmed.size();
}

std::string figureText(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

}  // namespace

float presetValue(double value) {
    // The console holds a float; the plug-in writes it widened, in fixed notation with three
    // decimals, and reads the text back as a float.
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", kPresetDecimals,
                  static_cast<double>(static_cast<float>(value)));
    return std::strtof(text, nullptr);
}

SliderSettings presetValues(const SliderSettings& settings) {
    SliderSettings rounded = settings;
    for (auto& [slider, value] : rounded) value = presetValue(value);
    return rounded;
}

std::string sliderRefusal(Slider slider, double value, const SliderRanges& ranges) {
    const SliderRange& r = ranges[sliderIndex(slider)];
    const float held = static_cast<float>(value);
    if (std::isfinite(value) && held >= r.min && held <= r.max) return "";
    return std::string(sliderName(slider)) + " takes a value from " + sliderText(r.min) + " to " +
           sliderText(r.max) + ", not " + figureText(value);
}

std::string unknownSliderRefusal(std::string_view name) {
    std::string names;
    for (Slider slider : kSliders)
        names += (names.empty() ? "" : ", ") + std::string(sliderName(slider));
    return "unknown slider '" + std::string(name) + "' (sliders: " + names + ")";
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

std::string presetNameProblem(std::string_view name) {
    if (name.empty()) return "must not be empty";
    if (name.size() > 100) return "is longer than 100 bytes";
    if (name.find_first_of("\";\r\n/\\") != std::string_view::npos)
        return "may not hold quotes, ';', slashes or line breaks";
    if (name == "." || name == "..") return "may not be '.' or '..'";
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f) return "may not hold control characters";
    return "";
}

std::string presetNameRefusal(const std::string& preset) {
    if (isBasePreset(preset)) return "";
    if (readsAsNumber(preset))
        return "preset '" + preset + "': base presets are 0 to " +
               std::to_string(basePresetCount() - 1);
    if (const std::string problem = presetNameProblem(preset); !problem.empty())
        return "user preset '" + preset + "' " + problem;
    return "";
}

std::string presetRefusal(const std::string& preset, const fs::path& dir) {
    if (isBasePreset(preset)) return "";
    if (std::string refusal = presetNameRefusal(preset); !refusal.empty()) return refusal;
    if (dir.empty())
        return "user preset '" + preset +
               "' needs a preset folder (--preset-dir, or the workbench's --game)";
    const fs::path file = dir / (preset + ".txt");
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
        return "user preset '" + preset + "': no preset file " + file.string();
    return "";
}

const std::array<TargetFigure, 4> kTargetFigures{{
    {"airtime", "airtime s", 3, &TuneTargets::airtimeS, &TuneTargets::Relative::airtime,
     &Figures::airtimeS},
    {"distance", "distance uu", 1, &TuneTargets::distanceUu, &TuneTargets::Relative::distance,
     &Figures::distanceUu},
    {"top", "top height uu", 1, &TuneTargets::topHeightUu, &TuneTargets::Relative::top,
     &Figures::topHeightUu},
    {"landing", "landing speed uu/s", 1, &TuneTargets::landingSpeedUu,
     &TuneTargets::Relative::landing, &Figures::landingSpeedUu},
}};

TuneTargets TuneTargets::against(const Figures& stock) const {
    TuneTargets t = *this;
    for (const TargetFigure& f : kTargetFigures) {
        if (!(relative.*f.relative) || !(t.*f.target)) continue;
        *(t.*f.target) *= stock.*f.figure;
        if (!(*(t.*f.target) > 0))
            throw UsageError(
                std::string("a ") + f.key + " target relative to stock: stock's figure is " +
                figureText(stock.*f.figure) + " at this launch, give an absolute target");
    }
    t.relative = {};
    return t;
}

std::string targetRefusal(const TuneTargets& t, const Launch& l) {
    std::ostringstream s;
    if (t.airtimeS && !t.relative.airtime && *t.airtimeS > l.timeLimitS)
        s << "an airtime of " << *t.airtimeS << " s is beyond the time limit of " << l.timeLimitS
          << " s";
    else if (t.topHeightUu && !t.relative.top && *t.topHeightUu < l.heightUu)
        s << "a top height of " << *t.topHeightUu << " uu is below the launch height of "
          << l.heightUu << " uu: the car starts higher";
    else if (t.topHeightUu && t.relative.top && *t.topHeightUu < 1)
        s << "a top height of " << *t.topHeightUu
          << "x stock's is below the launch height: stock's "
          << "top height is at least the launch height";
    return s.str();
}

std::vector<VerdictRow> verdict(const TuneTargets& absolute, const Figures& flown,
                                double tolerance) {
    std::vector<VerdictRow> rows;
    for (const TargetFigure& f : kTargetFigures) {
        const std::optional<double>& target = absolute.*f.target;
        if (!target) continue;
        const double got = flown.*f.figure, miss = (got - *target) / *target;
        const bool cutOff = f.target == &TuneTargets::airtimeS && !flown.landed;
        rows.push_back({&f, *target, got, miss, cutOff, !cutOff && std::abs(miss) <= tolerance});
    }
    return rows;
}

bool allMet(const std::vector<VerdictRow>& rows) {
    for (const VerdictRow& r : rows)
        if (!r.met) return false;
    return true;
}

}  // namespace flightlab
