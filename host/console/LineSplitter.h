// Splitting a console line into commands and words.
#pragma once
#include <string>
#include <vector>

namespace host {

// The commands of one console line, each as its words. Words are separated by blanks
// (space, tab); a double-quoted stretch is one word without its quotes (also when empty,
// and an unclosed quote runs to the end of the line); ';' outside quotes ends a command.
// Empty commands are left out; a line whose first non-blank characters are "//" has none.
std::vector<std::vector<std::string>> splitLine(const std::string& line);

}  // namespace host
