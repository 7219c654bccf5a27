// The wingleaf-host command line.
#include "app/Options.h"

#include <CLI/CLI.hpp>
#include <charconv>

namespace host {

namespace {

constexpr int kMaxCanvasSide = 16384;

bool parseSide(const std::string& text, int& value) {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc() && res.ptr == text.data() + text.size() && value > 0 &&
           value <= kMaxCanvasSide;
}

bool parseCanvas(const std::string& text, Options& options) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    int w = 0, h = 0;
    if (!parseSide(text.substr(0, x), w) || !parseSide(text.substr(x + 1), h)) return false;
    options.canvasWidth = w;
    options.canvasHeight = h;
    return true;
}

// -c lines and SCRIPT files interleaved as typed: the parser records each occurrence.
void collectInputs(const CLI::App& app, const CLI::Option* line, const CLI::Option* script, Options& options) {
    std::size_t nextLine = 0, nextScript = 0;
    for (const CLI::Option* opt : app.parse_order()) {
        if (opt == line) options.inputs.push_back({false, line->results().at(nextLine++)});
        if (opt == script) options.inputs.push_back({true, script->results().at(nextScript++)});
    }
}

}  // namespace

const char* usageLine() {
    return "usage: wingleaf-host [--root DIR] [--plugin PATH] [--canvas WxH] [-c LINE]... [SCRIPT]...";
}

std::string helpText() {
    return std::string(usageLine()) +
           "\n\n"
           "  --root DIR     the game's working directory, created if missing; the session runs\n"
           "                 in it (default: the current directory, so a bakkesmod/ folder and\n"
           "                 the prompt's history file .wingleaf_history appear there)\n"
           "  --plugin PATH  load this plug-in library first (repeatable)\n"
           "  --canvas WxH   size of the simulated canvas (default 1920x1080)\n"
           "  -c LINE        run a console line (repeatable)\n"
           "  SCRIPT         run the console lines of a file\n"
           "  --version      print the version and exit\n"
           "-c lines and SCRIPT files run in the order typed. SCRIPT and `exec FILE` paths are\n"
           "relative to the current directory; the game's own files live in the root.\n"
           "With neither -c nor SCRIPT, lines are read from standard input; on a terminal there\n"
           "is a prompt with Tab completion of names and history kept in the root.\n"
           "Type `help` at the prompt for the host commands, `list` for the plug-ins' variables.\n"
           "Exit status: 0 when every line ran, 1 when one failed, 2 for bad arguments (a missing\n"
           "SCRIPT or a --plugin that does not load: no line runs then),\n"
           "130, 143 or 129 when ended by Ctrl-C, SIGTERM or a hang-up (the terminal closed),\n"
           "141 when its output was closed (the settings are saved in each case).\n";
}

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    CLI::App app{"wingleaf-host"};
    app.set_help_flag();
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    const auto notEmpty = [](const char* what) {
        return [what](const std::string& v) { return v.empty() ? std::string("needs ") + what : std::string(); };
    };
    app.add_option("--root", options.root)->check(notEmpty("a directory"))->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--plugin", options.plugins)->check(notEmpty("a path"))->allow_extra_args(false);
    std::string canvas;
    app.add_option("--canvas", canvas)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::vector<std::string> lines, scripts;
    const CLI::Option* line = app.add_option("-c", lines)->allow_extra_args(false);
    const CLI::Option* script = app.add_option("SCRIPT", scripts);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return false;
    }
    if (!canvas.empty() && !parseCanvas(canvas, options)) {
        error = "bad canvas size " + canvas + " (expected WxH, 1 to 16384 each)";
        return false;
    }
    collectInputs(app, line, script, options);
    return true;
}

}  // namespace host
