// Settings windows built from the plug-in settings files (bakkesmod/plugins/settings/*.set).
#pragma once
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace host {

class Console;

// One control of a settings window (one line `CODE|param|...` of the file).
struct SettingsControl {
    int code = 0;
    std::vector<std::string> params;  // the fields after the code
    // Drop-down (code 6) options in order: label, value.
    std::vector<std::pair<std::string, std::string>> options;
};

struct SettingsWindow {
    std::string file;   // file name, e.g. "wingleaf.set"
    std::string title;  // first line of the file
    std::vector<SettingsControl> controls;
};

// Parses the text of one settings file. Lines that are no valid control are skipped and
// described in PROBLEMS ("line N: ..."). LF and CR LF line ends; empty lines are ignored.
SettingsWindow parseSettingsFile(const std::string& fileName, const std::string& text,
                                 std::vector<std::string>& problems);

// The window as the sim_settings command prints it:
//   window FILE: TITLE
//     KIND "LABEL" VARIABLE [MIN MAX]     (one line per control; see the README)
//       LABEL@VALUE                       (one line per drop-down option)
std::vector<std::string> formatSettingsWindow(const SettingsWindow& window);

// The windows of every settings file, re-read on request.
class SettingsWindows {
public:
    // Re-reads every *.set file of DIR (sorted by name). A missing directory, an unreadable
    // file or a broken line is a diagnostic on the console's error stream.
    void refresh(const std::filesystem::path& dir, Console& console);
    const std::vector<SettingsWindow>& windows() const { return windows_; }

private:
    std::vector<SettingsWindow> windows_;
};

}  // namespace host
