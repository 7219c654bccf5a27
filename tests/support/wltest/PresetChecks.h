// What the preset files must look like after sessions were killed or ran side by side: shared by
// the Linux tests, the tests under Wine and the Windows kill loop (standard library only).
#pragma once
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace wltest::presets {

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

inline std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The numbers of a preset file, or nullopt when it holds anything else.
inline std::optional<std::vector<double>> numbersOf(const std::string& content) {
    std::istringstream in(content);
    std::vector<double> numbers;
    std::string word;
    while (in >> word) {
        std::istringstream one(word);
        double value = 0;
        if (!(one >> value) || one.peek() != std::char_traits<char>::eof()) return std::nullopt;
        numbers.push_back(value);
    }
    return numbers;
}

// The user presets a settings file lists after the installed preset line. Sets `fault` when the
// file is not the installed one with entries appended to its preset line.
inline std::vector<std::string> listedPresets(const std::string& installed,
                                              const std::string& current, std::string& fault) {
    const std::vector<std::string> base = splitLines(installed), now = splitLines(current);
    std::vector<std::string> names;
    if (base.size() != now.size()) {
        fault = "the settings file has " + std::to_string(now.size()) + " lines, not " +
                std::to_string(base.size());
        return names;
    }
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (base[i].find("wl_preset") == std::string::npos) {
            if (now[i] != base[i]) fault = "settings line changed: " + now[i];
            continue;
        }
        if (now[i].rfind(base[i], 0) != 0) {
            fault = "the preset line lost a base preset: " + now[i];
            continue;
        }
        std::string rest = now[i].substr(base[i].size());
        while (!rest.empty()) {
            const std::size_t next = rest.find('&', 1);
            const std::string entry = rest.substr(0, next);
            const std::size_t at = entry.find('@');
            if (entry[0] != '&' || at == std::string::npos ||
                entry.substr(1, at - 1) != entry.substr(at + 1)) {
                fault = "malformed entry " + entry;
                return {};
            }
            names.push_back(entry.substr(1, at - 1));
            rest = next == std::string::npos ? "" : rest.substr(next);
        }
    }
    return names;
}

// Empty when the settings file under `root` is the installed one plus entries and every listed
// preset has a file of fourteen numbers; otherwise what is wrong.
inline std::string listedPresetsComplete(const std::filesystem::path& root,
                                         const std::string& installed, int* checked = nullptr) {
    std::string fault;
    const auto names = listedPresets(
        installed, contentOf(root / "bakkesmod/plugins/settings/wingleaf.set"), fault);
    if (!fault.empty()) return fault;
    for (const std::string& name : names) {
        const auto numbers = numbersOf(contentOf(root / "bakkesmod/wingleaf" / (name + ".txt")));
        if (!numbers || numbers->size() != 14)
            return name + " is listed without its fourteen values";
        if (checked) ++*checked;
    }
    return "";
}

// The console lines that tell of a fault in sessions that only change presets of their own on a
// healthy disk.
inline std::vector<std::string> faultLines(const std::string& out) {
    std::vector<std::string> faults;
    for (const std::string& line : splitLines(out)) {
        bool fault = line.find(" was not removed") != std::string::npos;
        for (const char* start : {"Error", "Failed", "Unable", "Another", "Invalid", "Cannot"})
            fault = fault || line.rfind(start, 0) == 0;
        if (fault) faults.push_back(line);
    }
    return faults;
}

// Standard error of a session but the one line the host may print when it reads the settings
// files at start, before any plug-in loads and removes a tmp.set a crash left.
inline std::vector<std::string> unexpectedErrorLines(const std::string& err) {
    std::vector<std::string> lines;
    bool leftoverSeen = false;
    for (const std::string& line : splitLines(err)) {
        if (!leftoverSeen && line.rfind("cl_settings_refreshplugins: tmp.set: ", 0) == 0)
            leftoverSeen = true;
        else
            lines.push_back(line);
    }
    return lines;
}

// The settings windows a `sim_settings` answer lists, by file name.
inline std::vector<std::string> settingsWindows(const std::string& out) {
    std::vector<std::string> windows;
    for (const std::string& line : splitLines(out))
        if (line.rfind("window ", 0) == 0) windows.push_back(line.substr(7, line.find(':') - 7));
    return windows;
}

// Four names created, overwritten, selected and deleted in turn, `rounds` times.
inline std::string crashLoopScript(int rounds) {
    std::string script;
    for (int i = 0; i < rounds; ++i) {
        const int k = i % 4;
        script += "wl_name_preset P" + std::to_string(k) + "\n";
        script += "wl_speed " + std::to_string(1 + i % 100) + "\n";
        script += "wl_create 1\n";
        script += "wl_preset P" + std::to_string((k + 3) % 4) + "\n";
        if (i % 3 == 2) {
            script += "wl_name_preset P" + std::to_string((k + 2) % 4) + "\n";
            script += "wl_delete " + std::to_string(i % 2) + "\n";
        }
    }
    return script;
}

// Session s (1 or 2) creates "S<s>_<i>" with the speed 1 + i/100 and the throttle s, and deletes
// every second one right after.
inline std::string concurrentName(int session, int index) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about a concatenation here.
    std::string name = "S";
    name += std::to_string(session);
    name += '_';
    name += std::to_string(index);
    return name;
}

inline std::string concurrentScript(int session, int creates) {
    std::string script;
    for (int i = 0; i < creates; ++i) {
        script += "wl_name_preset " + concurrentName(session, i) + "\nwl_throttle " +
                  std::to_string(session) + "\nwl_speed " + std::to_string(1 + i / 100.0) +
                  "\nwl_create 1\n";
        if (i % 2 == 1) script += "wl_delete 1\n";
    }
    return script;
}

struct ConcurrencyReport {
    int added = 0, wrote = 0, removed = 0, listed = 0, files = 0;
    int busy = 0;  // changes refused after waiting for the lock: reported, nothing changed
    std::vector<std::string> problems;  // every reported success untrue in the files, and more
};

// Checks the folder after both sessions against what each reported on its console.
inline ConcurrencyReport checkConcurrentSessions(const std::filesystem::path& root,
                                                 const std::string& installed,
                                                 const std::vector<std::string>& outputs,
                                                 int creates) {
    ConcurrencyReport report;
    std::string fault;
    const auto names = listedPresets(
        installed, contentOf(root / "bakkesmod/plugins/settings/wingleaf.set"), fault);
    if (!fault.empty()) report.problems.push_back(fault);
    const std::set<std::string> listed(names.begin(), names.end());
    if (listed.size() != names.size()) report.problems.push_back("a name is listed twice");
    report.listed = static_cast<int>(listed.size());
    const std::filesystem::path folder = root / "bakkesmod/wingleaf";
    for (std::size_t s = 1; s <= outputs.size(); ++s) {
        for (const std::string& line : faultLines(outputs[s - 1])) {
            if (line.rfind("Another program is changing the presets", 0) == 0)
                ++report.busy;
            else
                report.problems.push_back(line);
        }
        const std::vector<std::string> lines = splitLines(outputs[s - 1]);
        const std::set<std::string> said(lines.begin(), lines.end());
        for (int i = 0; i < creates; ++i) {
            const std::string n = concurrentName(static_cast<int>(s), i);
            const bool added = said.count("Preset " + n + " added to wingleaf.set!") != 0;
            const bool wrote = said.count("Wrote to " + n + ".txt") != 0;
            const bool removed =
                said.count("Moved tmp.set into wingleaf.set! Preset " + n + " removed!") != 0;
            report.added += added;
            report.wrote += wrote;
            report.removed += removed;
            const bool there = std::filesystem::exists(folder / (n + ".txt"));
            if (removed && (listed.count(n) || there))
                report.problems.push_back(n + " was reported removed but stays");
            else if (!removed && added && wrote && !(listed.count(n) && there))
                report.problems.push_back(n + " was reported added but is not there");
        }
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".txt") continue;
        ++report.files;
        const std::string n = entry.path().stem().string();
        const auto numbers = numbersOf(contentOf(entry.path()));
        const std::size_t cut = n.find('_');
        if (!numbers || numbers->size() != 14 || n.size() < 4 || cut == std::string::npos) {
            report.problems.push_back(n + " is not a file of fourteen numbers");
            continue;
        }
        const double speed = 1 + std::stoi(n.substr(cut + 1)) / 100.0;
        if (numbers->front() < speed - 0.0005 || numbers->front() > speed + 0.0005 ||
            numbers->back() != n[1] - '0')
            report.problems.push_back(n + " holds values not its own");
        if (!listed.count(n)) report.problems.push_back(n + " has a file but is not listed");
    }
    return report;
}

}  // namespace wltest::presets
