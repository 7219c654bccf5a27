// Settings windows built from the plug-in settings files (bakkesmod/plugins/settings/*.set).
#include "console/SettingsWindows.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>
#include <system_error>

#include "common/SharedRead.h"
#include "console/Console.h"

namespace host {

namespace {

struct ControlKind {
    const char* name;
    std::size_t fields;  // parameters required after the code
};

// Indexed by control code.
constexpr ControlKind kKinds[] = {
    {"button", 2},        // 0  Label|command
    {"checkbox", 2},      // 1  Label|cvar
    {"float_range", 4},   // 2  Label|cvar|min|max
    {"int_range", 4},     // 3
    {"float_slider", 4},  // 4
    {"int_slider", 4},    // 5
    {"dropdown", 3},      // 6  Label|cvar|label@value&...
    {"same_line", 0},     // 7
    {"separator", 0},     // 8
    {"label", 1},         // 9  Text
    {"greyed_begin", 1},  // 10 cvar
    {"greyed_end", 0},    // 11
    {"text_input", 2},    // 12 Label|cvar
    {"color_edit", 2},    // 13 Label|cvar
};
constexpr int kKindCount = static_cast<int>(sizeof kKinds / sizeof kKinds[0]);

std::vector<std::string> splitAt(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = text.find(sep, start);
        parts.push_back(text.substr(start, pos - start));
        if (pos == std::string::npos) return parts;
        start = pos + 1;
    }
}

// A dropdown's "label@value&label@value..." as its options; a label without '@' has no value.
std::vector<std::pair<std::string, std::string>> dropdownOptions(const std::string& list) {
    std::vector<std::pair<std::string, std::string>> options;
    for (const std::string& option : splitAt(list, '&')) {
        if (option.empty()) continue;
        const std::size_t at = option.find('@');
        if (at == std::string::npos) options.emplace_back(option, "");
        else options.emplace_back(option.substr(0, at), option.substr(at + 1));
    }
    return options;
}

// One control line "CODE|FIELD|...", or nullopt after setting `problem`.
std::optional<SettingsControl> parseControl(const std::string& line, std::string& problem) {
    std::vector<std::string> fields = splitAt(line, '|');
    int code = -1;
    const std::string& head = fields[0];
    const auto res = std::from_chars(head.data(), head.data() + head.size(), code);
    if (res.ec != std::errc() || res.ptr != head.data() + head.size() || code < 0 ||
        code >= kKindCount) {
        problem = "unknown control code '" + head + "'";
        return std::nullopt;
    }
    SettingsControl control;
    control.code = code;
    control.params.assign(fields.begin() + 1, fields.end());
    if (code == 6 && control.params.size() > 3) {
        // Option labels may contain '|': everything after the variable is the list.
        std::string list = control.params[2];
        for (std::size_t i = 3; i < control.params.size(); ++i) list += "|" + control.params[i];
        control.params.resize(2);
        control.params.push_back(list);
    }
    if (control.params.size() < kKinds[code].fields) {
        problem = std::string(kKinds[code].name) + " needs " + std::to_string(kKinds[code].fields) +
                  " fields after the code";
        return std::nullopt;
    }
    if (code == 6) control.options = dropdownOptions(control.params[2]);
    return control;
}

}  // namespace

SettingsWindow parseSettingsFile(const std::string& fileName, const std::string& text,
                                 std::vector<std::string>& problems) {
    SettingsWindow window;
    window.file = fileName;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool haveTitle = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!haveTitle) {
            window.title = line;
            haveTitle = true;
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::string problem;
        if (std::optional<SettingsControl> control = parseControl(line, problem))
            window.controls.push_back(std::move(*control));
        else
            problems.push_back("line " + std::to_string(number) + ": " + problem);
    }
    if (!haveTitle) problems.push_back("empty file");
    return window;
}

std::vector<std::string> formatSettingsWindow(const SettingsWindow& window) {
    std::vector<std::string> lines;
    lines.push_back("window " + window.file + ": " + window.title);
    for (const SettingsControl& c : window.controls) {
        const auto& p = c.params;
        std::string line = std::string("  ") + kKinds[c.code].name;
        switch (c.code) {
            case 7: case 8: case 11:
                break;
            case 9:
                line += " \"" + p[0] + "\"";
                break;
            case 10:
                line += " " + p[0];
                break;
            case 2: case 3: case 4: case 5:
                line += " \"" + p[0] + "\" " + p[1] + " " + p[2] + " " + p[3];
                break;
            default:  // label and variable (a button's command)
                line += " \"" + p[0] + "\" " + p[1];
                break;
        }
        lines.push_back(line);
        for (const auto& [label, value] : c.options) lines.push_back("    " + label + "@" + value);
    }
    return lines;
}

void SettingsWindows::refresh(const std::filesystem::path& dir, Console& console) {
    windows_.clear();
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".set" && it->is_regular_file(ec)) files.push_back(it->path());
    }
    if (ec) {
        console.err("cl_settings_refreshplugins: cannot read " + dir.string() + ": " + ec.message());
        return;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        // Read as a well-behaved program reads: the plug-in may replace the file meanwhile.
        std::string text, error;
        if (!readSharedFile(file, text, error)) {
            console.err("cl_settings_refreshplugins: cannot read " + file.filename().string());
            continue;
        }
        std::vector<std::string> problems;
        SettingsWindow window = parseSettingsFile(file.filename().string(), text, problems);
        for (const auto& problem : problems)
            console.err("cl_settings_refreshplugins: " + file.filename().string() + ": " + problem);
        if (!window.title.empty() || !window.controls.empty()) windows_.push_back(std::move(window));
    }
}

}  // namespace host
