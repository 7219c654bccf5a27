// Reading console lines from standard input: a prompt with editing and history on a terminal.
#include "app/Prompt.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#define WL_ISATTY _isatty
#else
#include <unistd.h>
#define WL_ISATTY isatty
#endif

#if defined(WL_WITH_READLINE)
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace host {

namespace {
constexpr const char* kPrompt = "wingleaf> ";
}

Prompt::Prompt() : interactive_(WL_ISATTY(0) != 0) {}

std::optional<std::string> Prompt::next() {
#if defined(WL_WITH_READLINE)
    if (interactive_) {
        char* raw = readline(kPrompt);
        if (!raw) return std::nullopt;
        std::string line(raw);
        std::free(raw);
        if (line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
        return line;
    }
#endif
    if (interactive_) {
        std::cout << kPrompt << std::flush;
    }
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace host
