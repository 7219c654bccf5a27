// Preset paths, the safe-name rule and the preset-file format.
#include "presets/PresetStorage.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <locale>
#include <sstream>

#include "text/FixedText.h"

std::string presetFilePath(std::string_view directory, std::string_view name) {
    std::string path(directory);
    path += '/';
    path += name;
    path += ".txt";
    return path;
}

namespace {

// Windows opens a device for these names whatever extension follows. COM and LPT take a digit or
// a superscript one, two or three (UTF-8, or the single byte of the Windows Latin code page).
bool isDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    std::string upper;
    for (char c : stem) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static constexpr std::array<std::string_view, 6> kPlain{"CON", "PRN",    "AUX",
                                                            "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kPlain)
        if (upper == device) return true;
    if (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0) return false;
    const std::string_view number = std::string_view(upper).substr(3);
    static constexpr std::array<std::string_view, 6> kSuperscripts{
        "\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xB9", "\xB2", "\xB3"};
    for (std::string_view superscript : kSuperscripts)
        if (number == superscript) return true;
    return number.size() == 1 && number[0] >= '0' && number[0] <= '9';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool isSafePresetName(std::string_view name) {
    if (name.empty() || name.size() > kMaxPresetNameBytes ||
        name.find("..") != std::string_view::npos)
        return false;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return false;
        if (std::string_view("/\\:&@|<>\"?*").find(c) != std::string_view::npos) return false;
    }
    return !isDeviceName(name);
}

bool readsAsNumber(std::string_view name) {
    while (!name.empty() && isBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    if (!name.empty() && (name.front() == '+' || name.front() == '-')) name.remove_prefix(1);
    auto format = std::chars_format::general;
    if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        name.remove_prefix(2);
        format = std::chars_format::hex;
    }
    // A second sign is no number; from_chars would not take the first one either.
    if (name.empty() || name.front() == '+' || name.front() == '-') return false;
    double value = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), value, format);
    // Out of range still reads as a number: an infinity, or zero.
    return end == name.data() + name.size() &&
           (error == std::errc{} || error == std::errc::result_out_of_range);
}

bool isNewPresetName(std::string_view name) {
    return isSafePresetName(name) && !readsAsNumber(name);
}

std::string formatPresetFile(const SliderValues& values) {
    std::string text;
    for (Slider slider : kSliders) {
        text += toFixedString(values[slider], 3);
        text += ' ';
    }
    return text;
}

std::size_t parsePresetFile(std::string_view content, SliderValues& values) {
    std::istringstream in{std::string(content)};
    in.imbue(std::locale::classic());
    std::size_t count = 0;
    float value = 0;
    while (count < kSliderCount && in >> value && std::isfinite(value))
        values[kSliders[count++]] = value;
    return count;
}

bool isPresetIndex(std::string_view value) {
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) value.remove_prefix(1);
    if (value.empty()) return false;
    for (char c : value)
        if (c < '0' || c > '9') return false;
    return true;
}
