// Settings-window file edits for preset creation and deletion.
#include "presets/SettingsWindowFile.h"

#include "presets/PresetMessages.h"

namespace {

constexpr std::string_view kPresetVariable = "wl_preset";
constexpr std::string_view kLineEnd = "\r\n";

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// True when `name` is the whole label or the whole value of an option of a preset line. The
// options are the text between "&"s, each a label, "@" and a value; the first one also carries
// the line's fields before the option list, up to its last "|".
bool namesAnOption(std::string_view line, std::string_view name) {
    bool first = true;
    while (true) {
        const std::size_t end = line.find('&');
        std::string_view option = line.substr(0, end);
        if (first) {
            const std::size_t bar = option.find_last_of('|');
            if (bar != std::string_view::npos) option.remove_prefix(bar + 1);
            first = false;
        }
        const std::size_t at = option.find('@');
        if (option.substr(0, at) == name) return true;
        if (at != std::string_view::npos && option.substr(at + 1) == name) return true;
        if (end == std::string_view::npos) return false;
        line.remove_prefix(end + 1);
    }
}

}  // namespace

std::string presetEntry(std::string_view name) {
    std::string entry = "&";
    entry += name;
    entry += '@';
    entry += name;
    return entry;
}

std::vector<std::string_view> splitSettingsLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(content.substr(start));
            break;
        }
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

CreateEdit editForCreate(std::string_view content, std::string_view name) {
    CreateEdit edit;
    const std::string entry = presetEntry(name);
    for (std::string_view line : splitSettingsLines(content)) {
        edit.output += line;
        if (contains(line, kPresetVariable)) {
            if (contains(line, entry)) {
                edit.messages.emplace_back(presetmsg::kNameExists);
                edit.listed = true;
            } else if (namesAnOption(line, name)) {
                edit.messages.emplace_back(presetmsg::kCannotOverwriteBase);
                edit.output.resize(edit.output.size() - line.size());
                edit.accepted = false;
                return edit;
            } else {
                edit.output += entry;
                edit.appended = true;
            }
        }
        edit.output += kLineEnd;
    }
    return edit;
}

DeleteEdit editForDelete(std::string_view content, std::string_view name) {
    DeleteEdit edit;
    const std::string entry = presetEntry(name);
    for (std::string_view line : splitSettingsLines(content)) {
        const std::size_t at = line.find(entry);
        if (at != std::string_view::npos) {
            edit.messages.push_back(presetmsg::removing(name));
            edit.output += line.substr(0, at);
            edit.output += line.substr(at + entry.size());
            edit.found = true;
        } else {
            if (contains(line, kPresetVariable) && namesAnOption(line, name)) {
                edit.messages.emplace_back(presetmsg::kCannotRemoveBase);
                edit.base = true;
            }
            edit.output += line;
        }
        edit.output += kLineEnd;
    }
    return edit;
}
