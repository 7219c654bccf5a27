// The wingleaf-host command line.
#include "app/Options.h"

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

}  // namespace

const char* usageLine() {
    return "usage: wingleaf-host [--root DIR] [--plugin PATH] [--canvas WxH] [-c LINE]... [SCRIPT]...";
}

bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            options.scripts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        // "--name=value" is the same as "--name value".
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        if (arg != "--root" && arg != "--plugin" && arg != "--canvas" && arg != "-c") {
            error = "unknown option " + args[i];
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (arg == "--root") {
            if (value.empty()) {
                error = "option --root needs a directory";
                return false;
            }
            options.root = value;
        } else if (arg == "--plugin") {
            if (value.empty()) {
                error = "option --plugin needs a path";
                return false;
            }
            options.plugins.push_back(value);
        } else if (arg == "--canvas") {
            if (!parseCanvas(value, options)) {
                error = "bad canvas size " + value + " (expected WxH, 1 to 16384 each)";
                return false;
            }
        } else {
            options.lines.push_back(value);
        }
    }
    return true;
}

}  // namespace host
