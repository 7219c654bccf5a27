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
    // False when the name stands before "@" in a preset line without its entry: a base preset's
    // label or another option's. `output` then holds only the lines before that one.
    bool accepted = true;
    std::string output;                 // every line with CR LF
    std::vector<std::string> messages;  // console lines, in order
};

// Appends the entry to every line containing "wl_preset" that does not hold it yet.
CreateEdit editForCreate(std::string_view content, std::string_view name);

struct DeleteEdit {
    bool found = false;  // some line held the entry
    bool base = false;   // some line held name + "@" without the entry
    std::string output;
    std::vector<std::string> messages;
};

// Removes the first occurrence of the entry from every line that holds it.
DeleteEdit editForDelete(std::string_view content, std::string_view name);
