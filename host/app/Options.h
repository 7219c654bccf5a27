// The wingleaf-host command line.
#pragma once
#include <string>
#include <vector>

namespace host {

// A console line given with -c, or a SCRIPT file to run, in the order typed.
struct Input {
    bool script = false;
    std::string text;
};

struct Options {
    std::string root;                  // empty: the current directory
    std::vector<std::string> plugins;  // --plugin, in order
    int canvasWidth = 1920;
    int canvasHeight = 1080;
    std::vector<Input> inputs;         // -c lines and SCRIPT files, in the order typed
    bool help = false;
    bool version = false;
};

// The one-line usage text.
const char* usageLine();
// The text of --help.
std::string helpText();
// Parses the arguments after the program name. False, with ERROR set, on a bad argument.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

}  // namespace host
