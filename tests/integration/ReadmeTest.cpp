// The README's examples, run as written: console sessions through wingleaf-host, shell commands
// in a scratch copy of the checkout whose build folders point at this build.
//
// Conventions in README.md: an HTML comment line marks the indented block that follows it.
//   <!-- console-session -->  console lines, typed at a fresh wingleaf-host with the plug-in
//   <!-- console-output -->   lines that the block before must print, in order; "..." skips,
//                             a number matches when the output rounds to it
//   <!-- commands -->         shell commands that must name existing scripts, programs, presets
//   <!-- commands: run -->    the same, and each is run and must succeed
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "wltest/HostRunner.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kSource = WL_SOURCE_DIR;
const fs::path kBuild = WL_BUILD_DIR;

struct Block {
    std::string kind;
    int line = 0;  // README line of the first block line
    Lines lines;
};

std::vector<Block> readBlocks() {
    std::ifstream in(kSource / "README.md");
    Lines all;
    for (std::string l; std::getline(in, l);) all.push_back(l);
    static const std::regex marker(
        R"(^<!-- (console-session|console-output|commands|commands: run) -->\s*$)");
    std::vector<Block> blocks;
    for (std::size_t i = 0; i < all.size(); ++i) {
        std::smatch m;
        if (!std::regex_match(all[i], m, marker)) continue;
        Block b{m[1], 0, {}};
        std::size_t j = i + 1;
        while (j < all.size() && all[j].empty()) ++j;
        b.line = static_cast<int>(j + 1);
        for (; j < all.size() && (all[j].empty() || all[j].rfind("    ", 0) == 0); ++j)
            b.lines.push_back(all[j].empty() ? "" : all[j].substr(4));
        while (!b.lines.empty() && b.lines.back().empty()) b.lines.pop_back();
        blocks.push_back(b);
    }
    return blocks;
}

// Equal text, numbers equal to the shown precision.
bool lineMatches(const std::string& shown, const std::string& actual) {
    static const std::regex number(R"(-?\d+(\.\d+)?(e[-+]?\d+)?)");
    auto sIt = std::sregex_iterator(shown.begin(), shown.end(), number);
    auto aIt = std::sregex_iterator(actual.begin(), actual.end(), number);
    const std::sregex_iterator end;
    std::size_t sPos = 0, aPos = 0;
    for (; sIt != end && aIt != end; ++sIt, ++aIt) {
        if (shown.substr(sPos, sIt->position() - sPos) !=
            actual.substr(aPos, aIt->position() - aPos))
            return false;
        const std::string s = sIt->str();
        const auto dot = s.find('.');
        const int decimals = dot == std::string::npos ? 0 : static_cast<int>(s.size() - dot - 1);
        if (std::fabs(std::stod(s) - std::stod(aIt->str())) >
            0.5 * std::pow(10.0, -decimals) + 1e-9)
            return false;
        sPos = sIt->position() + sIt->length();
        aPos = aIt->position() + aIt->length();
    }
    return sIt == end && aIt == end && shown.substr(sPos) == actual.substr(aPos);
}

// Every shown line appears in the output, in order; "..." stands for any lines.
void expectOutput(const Block& shown, const std::string& out) {
    std::istringstream in(out);
    Lines actual;
    for (std::string l; std::getline(in, l);) actual.push_back(l);
    std::size_t at = 0;
    for (std::size_t i = 0; i < shown.lines.size(); ++i) {
        const std::string& want = shown.lines[i];
        if (want == "...") continue;
        while (at < actual.size() && !lineMatches(want, actual[at])) ++at;
        ASSERT_LT(at, actual.size())
            << "README line " << shown.line + static_cast<int>(i) << ": no output line matches \""
            << want << "\" (in order); the output was:\n"
            << out;
        ++at;
    }
}

// Shell words of one command: comments and [OPTIONAL] words dropped, "quoted" words kept whole.
Lines words(const std::string& command) {
    Lines out;
    std::istringstream in(command);
    std::string w;
    while (in >> std::ws && in.peek() != EOF) {
        if (in.peek() == '#') break;
        if (in.peek() == '"') {
            in.get();
            std::getline(in, w, '"');
        } else {
            in >> w;
        }
        if (!(w.size() > 1 && w.front() == '[' && w.back() == ']')) out.push_back(w);
    }
    return out;
}

// Commands of a block, "\" continuations joined.
Lines commands(const Block& b) {
    Lines out;
    std::string pending;
    for (const auto& l : b.lines) {
        if (l.empty()) continue;
        pending += l;
        if (!pending.empty() && pending.back() == '\\') {
            pending.pop_back();
            continue;
        }
        out.push_back(pending);
        pending.clear();
    }
    return out;
}

bool presetExists(const std::string& name) {
    return wltest::readFile(kSource / "CMakePresets.json").find("\"name\": \"" + name + "\"") !=
           std::string::npos;
}

// A checkout whose scripts and examples are the source's and whose build folders are this build.
fs::path scratchCheckout() {
    const fs::path dir = wltest::freshRoot("readme-checkout");
    for (const char* d : {"scripts", "examples", "install"})
        fs::create_directory_symlink(kSource / d, dir / d);
    fs::create_directories(dir / "build");
    for (const char* p : {"dev", "release"})
        fs::create_directory_symlink(kBuild, dir / "build" / p);
    return dir;
}

void checkCommand(const std::string& command, int line) {
    Lines w = words(command);
    while (!w.empty() && w.front().find('=') != std::string::npos && w.front()[0] != '-')
        w.erase(w.begin());
    ASSERT_FALSE(w.empty()) << "README line " << line;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i] == "--preset" && i + 1 < w.size()) {
            EXPECT_TRUE(presetExists(w[i + 1]))
                << "README line " << line << ": no preset " << w[i + 1];
        }
        if (w[i].rfind("build/", 0) == 0) {
            const std::string preset = w[i].substr(6, w[i].find('/', 6) - 6);
            EXPECT_TRUE(presetExists(preset)) << "README line " << line << ": no preset " << preset;
        }
    }
    std::string prog = w.front();
    if (prog.rfind("./", 0) == 0) prog = prog.substr(2);
    if (prog.rfind("scripts/", 0) == 0 || prog.rfind("examples/", 0) == 0) {
        struct stat st {};
        ASSERT_EQ(::stat((kSource / prog).c_str(), &st), 0)
            << "README line " << line << ": no " << prog;
        EXPECT_TRUE(st.st_mode & S_IXUSR)
            << "README line " << line << ": " << prog << " is not executable";
        const auto syntax = wltest::runProgram({"/bin/bash", "-n", (kSource / prog).string()});
        EXPECT_EQ(syntax.exitCode, 0) << prog << ": " << syntax.err;
    } else if (prog.rfind("build/", 0) == 0) {
        // A program of the dev or release preset: this build has it, and it answers --help.
        const auto rest = fs::path(prog.substr(prog.find('/', 6) + 1));
        if (prog.rfind("build/dev/", 0) == 0 || prog.rfind("build/release/", 0) == 0) {
            ASSERT_TRUE(fs::exists(kBuild / rest))
                << "README line " << line << ": this build has no " << rest;
            const auto help = wltest::runProgram({(kBuild / rest).string(), "--help"});
            EXPECT_EQ(help.exitCode, 0)
                << "README line " << line << ": " << prog << " --help: " << help.err;
        }
    }
}

TEST(Readme, ConsoleSessionsPrintWhatTheReadmeShows) {
    const auto blocks = readBlocks();
    int sessions = 0;
    bool flightShown = false;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].kind != "console-session") continue;
        ++sessions;
        const auto root = wltest::freshRoot("readme-session-" + std::to_string(sessions));
        std::string input;
        for (const auto& l : blocks[i].lines) input += l + "\n";
        const auto r = wltest::runProgram(
            {WL_HOST_EXE, "--root", root.string(), "--plugin", WL_PLUGIN_PATH}, input);
        EXPECT_EQ(r.exitCode, 0) << "README line " << blocks[i].line << ": " << r.err;
        if (i + 1 < blocks.size() && blocks[i + 1].kind == "console-output") {
            expectOutput(blocks[i + 1], r.out);
            for (const auto& l : blocks[i + 1].lines) flightShown |= l == "car0.on_ground = 0";
        }
    }
    EXPECT_GE(sessions, 2);
    EXPECT_TRUE(flightShown) << "the README shows no session with the car in the air";
}

TEST(Readme, CommandsNameWhatExistsAndTheCheapOnesRun) {
    const auto blocks = readBlocks();
    const fs::path checkout = scratchCheckout();
    int checked = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        if (b.kind.rfind("commands", 0) != 0) continue;
        std::string out;
        for (const auto& c : commands(b)) {
            ++checked;
            checkCommand(c, b.line);
            if (b.kind != "commands: run") continue;
            std::string line;
            for (const auto& w : words(c)) line += " '" + w + "'";
            const auto r =
                wltest::runProgram({"/bin/sh", "-c", "cd '" + checkout.string() + "' &&" + line});
            EXPECT_EQ(r.exitCode, 0) << "README line " << b.line << ": " << c << "\n" << r.err;
            out += r.out;
        }
        if (i + 1 < blocks.size() && blocks[i + 1].kind == "console-output")
            expectOutput(blocks[i + 1], out);
    }
    EXPECT_GE(checked, 4);
}

TEST(Readme, ExampleWithAWrongBuildFolderSaysSo) {
    const auto r =
        wltest::runProgram({(kSource / "examples/fly-freeplay.sh").string(), "/nonexistent/build"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(
        r.err.rfind("fly-freeplay: no wingleaf-host and plug-in under '/nonexistent/build'", 0), 0u)
        << r.err;
}

}  // namespace
