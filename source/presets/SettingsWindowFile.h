// Edits of the host's plug-in settings-window file (wingleaf.set) that add and remove preset
// entries, as pure functions.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The option of a user preset: "&" + name + "@" + name.
std::string presetEntry(std::string_view name);

// The lines of a settings file: split at LF, a CR directly before the LF dropped; no extra line
// after a final line end.
std::vector<std::string_view> splitSettingsLines(std::string_view content);

struct CreateEdit {
    // False when a preset line without the name's entry has an option whose whole label or value
    // is the name: a base preset's or another option's. `output` then holds only the lines before
    // that one.
    bool accepted = true;
    bool listed = false;                // some preset line held the entry already
    bool appended = false;              // the entry was added to some preset line
    std::string output;                 // every line with CR LF
    std::vector<std::string> messages;  // console lines, in order
};

// Appends the entry to every line containing "wl_preset" that does not hold it yet.
CreateEdit editForCreate(std::string_view content, std::string_view name);

struct DeleteEdit {
    bool found = false;  // some line held the entry
    bool base = false;   // a preset line without the entry has an option labelled or valued name
    std::string output;
    std::vector<std::string> messages;
};

// Removes the first occurrence of the entry from every line that holds it.
DeleteEdit editForDelete(std::string_view content, std::string_view name);
