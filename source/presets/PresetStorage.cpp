// Preset paths, the safe-name rule and the preset-file format.
#include "presets/PresetStorage.h"

#include <array>
#include <cctype>
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

// Windows opens a device for these names whatever extension follows.
bool isDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    std::string upper;
    for (char c : stem) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static constexpr std::array<std::string_view, 6> kPlain{"CON", "PRN",    "AUX",
                                                            "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view device : kPlain)
        if (upper == device) return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '0' && upper[3] <= '9';
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
