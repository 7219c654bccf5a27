// Reading console lines typed at a terminal: a prompt with editing, Tab completion of names and
// history kept across sessions.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "console/LineReader.h"

namespace host {

class Console;

class Prompt {
public:
    // Completes the names CONSOLE knows; keeps the typed lines in HISTORY_FILE (read now,
    // written back when the prompt goes; empty: no history file).
    Prompt(Console& console, std::filesystem::path historyFile);
    ~Prompt();
    Prompt(const Prompt&) = delete;
    Prompt& operator=(const Prompt&) = delete;

    // True when standard input is a terminal (else lines are read as from a script).
    static bool interactive();

    // The next line; nullopt at the end of input, when a stop signal other than Ctrl-C
    // arrived, or when reading failed (reported on the console). Ctrl-C abandons the line
    // being typed and prompts again.
    std::optional<std::string> next();

private:
    void saveHistory();

    Console& console_;
    std::filesystem::path historyFile_;
#if !defined(WL_WITH_READLINE)
    std::optional<std::string> nextPlain();
    LineReader plain_;  // a build without readline reads the terminal as plain lines
#endif
};

}  // namespace host
