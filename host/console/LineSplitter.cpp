// Splitting a console line into commands and words.
#include "console/LineSplitter.h"

namespace host {

std::vector<std::vector<std::string>> splitLine(const std::string& line) {
    std::vector<std::vector<std::string>> commands;
    const auto first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || line.compare(first, 2, "//") == 0) return commands;

    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a word is open (possibly an empty quoted one)
    bool quoted = false;
    auto endWord = [&] {
        if (inWord) words.push_back(word);
        word.clear();
        inWord = false;
    };
    auto endCommand = [&] {
        endWord();
        if (!words.empty()) commands.push_back(std::move(words));
        words.clear();
    };
    for (char c : line) {
        if (quoted) {
            if (c == '"') quoted = false;
            else word += c;
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            endWord();
        } else if (c == ';') {
            endCommand();
        } else {
            word += c;
            inWord = true;
        }
    }
    endCommand();
    return commands;
}

}  // namespace host
