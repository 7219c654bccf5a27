// One value for every slider, indexed by slider; built by naming the sliders it sets.
#pragma once
#include <array>
#include <initializer_list>
#include <string_view>

#include "sliders/Sliders.h"

namespace sliders_detail {

// The value of a default as the vocabulary writes it: digits with an optional point.
constexpr float parseDefault(std::string_view text) {
    double value = 0.0;
    double scale = 1.0;
    bool fraction = false;
    for (char c : text) {
        if (c == '.') {
            fraction = true;
            continue;
        }
        value = value * 10.0 + (c - '0');
        if (fraction) scale *= 10.0;
    }
    return static_cast<float>(value / scale);
}

}  // namespace sliders_detail

// The default of a slider, from its variable.
constexpr float sliderDefault(Slider slider) {
    return sliders_detail::parseDefault(sliderSpec(slider).defaultValue);
}

class SliderValues {
public:
    // One slider and its value.
    struct Named {
        Slider slider;
        float value;
    };

    // Every slider at its default.
    constexpr SliderValues() : values_{} {
        for (Slider slider : kSliders) values_[sliderIndex(slider)] = sliderDefault(slider);
    }

    // The defaults, with each named slider set to its value.
    constexpr SliderValues(std::initializer_list<Named> named) : SliderValues() {
        for (const Named& n : named) values_[sliderIndex(n.slider)] = n.value;
    }

    constexpr float operator[](Slider slider) const { return values_[sliderIndex(slider)]; }
    constexpr float& operator[](Slider slider) { return values_[sliderIndex(slider)]; }

    friend constexpr bool operator==(const SliderValues& a, const SliderValues& b) {
        for (Slider slider : kSliders)
            if (!(a[slider] == b[slider])) return false;
        return true;
    }
    friend constexpr bool operator!=(const SliderValues& a, const SliderValues& b) {
        return !(a == b);
    }

private:
    std::array<float, kSliderCount> values_;
};
