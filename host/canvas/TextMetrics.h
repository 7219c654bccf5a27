// The simulated canvas's one font: its family, pixel size and an estimate of text widths.
#pragma once
#include <string_view>

namespace host {

inline constexpr const char* kFontFamily = "DejaVu Sans";
// Height of one line of text at scale 1, in pixels.
inline constexpr float kFontPixelSize = 13.0f;

// Width of a text at scale 1 without asking a font engine: the mean advance of DejaVu Sans
// (about 0.6 em) per character, which keeps the answer identical with and without Cairo.
inline float approximateTextWidth(std::string_view text) {
    return static_cast<float>(text.size()) * kFontPixelSize * 0.6f;
}

}  // namespace host
