// Feeds any bytes to every decoder of the workbench's requests: each either decodes a checked
// request or refuses it with a RequestError; nothing else may escape.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Requests.h"

using namespace flightlab;
using namespace flightlab::server;

namespace {

SliderRanges ranges() {
    SliderRanges r{};
    for (auto& range : r) range = {0, 10, 1};
    return r;
}

void checkFinite(const SliderValues& values) {
    for (Slider slider : kSliders)
        if (!std::isfinite(values[slider]) || values[slider] < 0 || values[slider] > 10) __builtin_trap();
}

void checkLaunch(const Launch& l) {
    if (!(l.timeLimitS > 0 && l.timeLimitS <= kMaxTimeLimitS) || !std::isfinite(l.speedUu)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SliderRanges r = ranges();
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    auto attempt = [](auto decode) {
        try {
            decode();
        } catch (const RequestError&) {
        }
    };
    attempt([&] {
        const FlyRequest f = decodeFly(body, r);
        checkLaunch(f.launch);
        if (f.setups.empty() || f.setups.size() > kMaxSetups) __builtin_trap();
        for (const auto& s : f.setups)
            for (const auto& [slider, value] : s.sliders)
                if (static_cast<std::size_t>(slider) >= kSliderCount || !(value >= 0 && value <= 10)) __builtin_trap();
    });
    attempt([&] {
        const GridRequest g = decodeGrid(body, r);
        if (g.speeds * g.pitches > kMaxGridSide * kMaxGridSide) __builtin_trap();
    });
    attempt([&] { checkLaunch(decodeTune(body, r).launch); });
    attempt([&] {
        const SaveRequest s = decodeSave(body, r);
        if (!presetNameProblem(s.name).empty()) __builtin_trap();
        checkFinite(s.sliders);
    });
    attempt([&] { decodeHud(body, r); });
    attempt([&] { checkFinite(decodePresetFile(body, r).sliders); });
    attempt([&] { decodePresetText(body); });
    return 0;
}
