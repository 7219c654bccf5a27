// The wingleaf-host command line.
#pragma once
#include <string>
#include <vector>

namespace host {

struct Options {
    std::string root;                  // empty: the current directory
    std::vector<std::string> plugins;  // --plugin, in order
    int canvasWidth = 1920;
    int canvasHeight = 1080;
    std::vector<std::string> lines;    // -c, in order
    std::vector<std::string> scripts;  // SCRIPT arguments, in order
    bool help = false;
};

// The one-line usage text.
const char* usageLine();
// Parses the arguments after the program name. False, with ERROR set, on a bad argument.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

}  // namespace host
