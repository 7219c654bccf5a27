// Reading console lines from standard input: a prompt with editing and history on a terminal.
#pragma once
#include <optional>
#include <string>

namespace host {

class Prompt {
public:
    Prompt();
    // The next line, or nullopt at the end of input.
    std::optional<std::string> next();

private:
    bool interactive_;
};

}  // namespace host
