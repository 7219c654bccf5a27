// Fuzzes the preset-file reader, the settings-file edits and the name rules: the input's first line
// is a preset name, the rest a file. Creation and deletion may change only the entry they add or
// remove; a name that strtof reads whole is never taken for a new preset.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "presets/PresetStorage.h"
#include "presets/SettingsWindowFile.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The text each line gives back: the lines joined, each followed by CR LF.
std::string joined(const std::vector<std::string_view>& lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// Whether NAME is a whole option of a preset line: the options lie between "&"s, each a label,
// "@" and a value, and the first follows the line's last "|".
bool isAnOption(std::string_view line, std::string_view name) {
    const std::size_t bar = line.substr(0, line.find('&')).find_last_of('|');
    if (bar != std::string_view::npos) line.remove_prefix(bar + 1);
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find('&', start);
        const std::string_view option = line.substr(start, end - start);
        const std::size_t at = option.find('@');
        if (option.substr(0, at) == name || (at != std::string_view::npos && option.substr(at + 1) == name))
            return true;
        if (end == std::string_view::npos) return false;
        start = end + 1;
    }
}

void checkEdits(std::string_view content, std::string_view name) {
    const std::vector<std::string_view> in = splitSettingsLines(content);
    const std::string entry = presetEntry(name);

    const CreateEdit created = editForCreate(content, name);
    std::vector<std::string> expected;
    bool appendedAny = false;
    for (std::string_view line : in) {
        if (line.find("wl_preset") != std::string_view::npos &&
            line.find(entry) == std::string_view::npos) {
            if (isAnOption(line, name)) break;
            expected.push_back(std::string(line) + entry);
            appendedAny = true;
        } else {
            expected.emplace_back(line);
        }
    }
    std::string expectedText;
    for (const std::string& line : expected) expectedText += line + "\r\n";
    check(created.output == expectedText);
    check(created.accepted == (expected.size() == in.size()));
    if (!created.accepted) return;

    const std::vector<std::string_view> out = splitSettingsLines(created.output);
    check(out.size() == in.size());

    const DeleteEdit deleted = editForDelete(created.output, name);
    const std::vector<std::string_view> back = splitSettingsLines(deleted.output);
    check(back.size() == in.size());
    check(deleted.found == (created.output.find(entry) != std::string::npos));
    check(!appendedAny || deleted.found);
    for (std::size_t i = 0; i < in.size(); ++i) {
        const std::size_t at = out[i].find(entry);
        if (at == std::string_view::npos) {
            check(back[i] == out[i]);
        } else {
            std::string removed(out[i].substr(0, at));
            removed += out[i].substr(at + entry.size());
            check(back[i] == removed);
        }
        // A line that gained the entry gets exactly its old content back.
        if (out[i] != in[i]) check(back[i] == in[i]);
    }
    check(deleted.output == joined(back));
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The host's reading: strtof consumes the whole text but blanks after it.
bool strtofReadsWhole(const std::string& text) {
    char* end = nullptr;
    std::strtof(text.c_str(), &end);
    if (end == text.c_str()) return false;
    while (*end != '\0' && isBlank(*end)) ++end;
    return *end == '\0';
}

void checkNames(std::string_view name) {
    const std::string text(name);
    if (text.find('\0') == std::string::npos) check(readsAsNumber(name) == strtofReadsWhole(text));
    if (isNewPresetName(name)) {
        check(isSafePresetName(name));
        check(!isPresetIndex(name));
    }
}

void checkPresetFile(std::string_view content) {
    SliderValues values{};
    const std::size_t count = parsePresetFile(content, values);
    check(count <= kSliderCount);
    for (Slider slider : kSliders) check(std::isfinite(values[slider]));

    SliderValues again = values;
    check(parsePresetFile(formatPresetFile(values), again) == kSliderCount);
    for (Slider s : kSliders)
        check(std::fabs(static_cast<double>(again[s]) - static_cast<double>(values[s])) <=
              0.0005 + std::fabs(static_cast<double>(values[s])) * 1e-6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t end = input.find('\n');
    std::string_view name = input.substr(0, end == std::string_view::npos ? 0 : end);
    const std::string_view content = end == std::string_view::npos ? input : input.substr(end + 1);

    checkPresetFile(content);
    checkNames(name);
    if (isSafePresetName(name)) {
        checkEdits(content, name);
    } else {
        // Unsafe names never reach the edits in the plug-in; they must still not break them.
        editForCreate(content, name);
        editForDelete(content, name);
        checkEdits(content, "Mine");
    }
    return 0;
}
