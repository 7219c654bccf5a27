// The README's and docs/ pages' examples, run as written: console sessions through wingleaf-host,
// shell commands in a scratch copy of the checkout whose build folders point at this build; their
// tables, pictures and links; and the version the changelog names.
//
// Conventions in README.md and docs/*.md: an HTML comment line marks the indented block after it.
//   <!-- console-session -->  console lines, typed at a fresh wingleaf-host with the plug-in
//   <!-- console-output -->   lines that the block before must print, in order; "..." skips,
//                             a number matches when the output rounds to it
//   <!-- commands -->         shell commands that must name existing scripts, programs, presets
//   <!-- commands: run -->    the same, and each is run and must succeed
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <sstream>

#include "wltest/HostRunner.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kSource = WL_SOURCE_DIR;
const fs::path kBuild = WL_BUILD_DIR;
#ifdef WL_BENCHMARKS_BUILT
constexpr bool kBenchmarksBuilt = true;
#else
constexpr bool kBenchmarksBuilt = false;
#endif

// README.md and every page of docs/, in name order.
std::vector<fs::path> documents() {
    std::vector<fs::path> docs;
    for (const auto& e : fs::directory_iterator(kSource / "docs"))
        if (e.path().extension() == ".md") docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
    docs.insert(docs.begin(), kSource / "README.md");
    return docs;
}

Lines readLines(const fs::path& file) {
    std::ifstream in(file);
    Lines all;
    for (std::string l; std::getline(in, l);) all.push_back(l);
    return all;
}

struct Block {
    std::string kind;
    std::string where;  // "FILE line N", N the document's line of the first block line
    Lines lines;
};

std::string place(const fs::path& file, int line) {
    return fs::relative(file, kSource).string() + " line " + std::to_string(line);
}

// The marked blocks of every document, in document order.
std::vector<Block> readBlocks() {
    std::vector<Block> blocks;
    for (const auto& file : documents()) {
        const Lines all = readLines(file);
        static const std::regex marker(
            R"(^<!-- (console-session|console-output|commands|commands: run) -->\s*$)");
        for (std::size_t i = 0; i < all.size(); ++i) {
            std::smatch m;
            if (!std::regex_match(all[i], m, marker)) continue;
            std::size_t j = i + 1;
            while (j < all.size() && all[j].empty()) ++j;
            Block b{m[1], place(file, static_cast<int>(j + 1)), {}};
            for (; j < all.size() && (all[j].empty() || all[j].rfind("    ", 0) == 0); ++j)
                b.lines.push_back(all[j].empty() ? "" : all[j].substr(4));
            while (!b.lines.empty() && b.lines.back().empty()) b.lines.pop_back();
            blocks.push_back(b);
        }
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
        ASSERT_LT(at, actual.size()) << shown.where << " + " << i << ": no output line matches \""
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

void checkCommand(const std::string& command, const std::string& where) {
    Lines w = words(command);
    while (!w.empty() && w.front().find('=') != std::string::npos && w.front()[0] != '-')
        w.erase(w.begin());
    ASSERT_FALSE(w.empty()) << where;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (w[i] == "--preset" && i + 1 < w.size()) {
            EXPECT_TRUE(presetExists(w[i + 1])) << where << ": no preset " << w[i + 1];
        }
        if (w[i].rfind("build/", 0) == 0) {
            const std::string preset = w[i].substr(6, w[i].find('/', 6) - 6);
            EXPECT_TRUE(presetExists(preset)) << where << ": no preset " << preset;
        }
    }
    std::string prog = w.front();
    if (prog.rfind("./", 0) == 0) prog = prog.substr(2);
    if (prog.rfind("scripts/", 0) == 0 || prog.rfind("examples/", 0) == 0) {
        struct stat st {};
        ASSERT_EQ(::stat((kSource / prog).c_str(), &st), 0) << where << ": no " << prog;
        EXPECT_TRUE(st.st_mode & S_IXUSR) << where << ": " << prog << " is not executable";
        const auto syntax = wltest::runProgram({"/bin/bash", "-n", (kSource / prog).string()});
        EXPECT_EQ(syntax.exitCode, 0) << prog << ": " << syntax.err;
    } else if (prog.rfind("build/", 0) == 0) {
        // A program of the dev or release preset: this build has it, and it answers --help.
        const auto rest = fs::path(prog.substr(prog.find('/', 6) + 1));
        if (rest.begin()->string() == "bench" && !kBenchmarksBuilt) {
            std::cout << where << ": " << prog
                      << " not checked: this build has no benchmarks (WINGLEAF_BUILD_BENCH=OFF)\n";
            return;
        }
        if (prog.rfind("build/dev/", 0) == 0 || prog.rfind("build/release/", 0) == 0) {
            ASSERT_TRUE(fs::exists(kBuild / rest)) << where << ": this build has no " << rest;
            const auto help = wltest::runProgram({(kBuild / rest).string(), "--help"});
            EXPECT_EQ(help.exitCode, 0) << where << ": " << prog << " --help: " << help.err;
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
        EXPECT_EQ(r.exitCode, 0) << blocks[i].where << ": " << r.err;
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
            checkCommand(c, b.where);
            if (b.kind != "commands: run") continue;
            std::string line;
            for (const auto& w : words(c)) line += " '" + w + "'";
            const auto r =
                wltest::runProgram({"/bin/sh", "-c", "cd '" + checkout.string() + "' &&" + line});
            EXPECT_EQ(r.exitCode, 0) << b.where << ": " << c << "\n" << r.err;
            out += r.out;
        }
        if (i + 1 < blocks.size() && blocks[i + 1].kind == "console-output")
            expectOutput(blocks[i + 1], out);
    }
    EXPECT_GE(checked, 4);
    // A picture in docs/ named as one the commands above wrote is that picture, byte for byte.
    int compared = 0;
    ASSERT_TRUE(fs::is_directory(checkout / "out")) << "no documented command wrote under out/";
    for (const auto& e : fs::recursive_directory_iterator(checkout / "out")) {
        const fs::path shown = kSource / "docs" / e.path().filename();
        if (e.path().extension() != ".png" || !fs::exists(shown)) continue;
        ++compared;
        EXPECT_TRUE(wltest::readFile(shown) == wltest::readFile(e.path()))
            << "docs/" << e.path().filename().string()
            << " is not what the documented command draws "
            << "now; copy " << fs::relative(e.path(), checkout).string() << " over it";
    }
    EXPECT_GE(compared, 3) << "the documents' pictures are not made by their commands";
}

// The anchors of a document's headings, as a Markdown renderer names them: lower case, blanks
// turned into '-', other punctuation dropped.
std::vector<std::string> anchors(const fs::path& file) {
    std::vector<std::string> out;
    for (const std::string& l : readLines(file)) {
        if (l.rfind("#", 0) != 0) continue;
        std::string slug;
        for (char c : l.substr(l.find(' ') + 1)) {
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
                slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            else if (c == ' ')
                slug += '-';
        }
        out.push_back(slug);
    }
    return out;
}

// Every link between the documents, and every picture they show, leads to a file, and a link to
// a heading to that heading.
TEST(Readme, LinksAndPicturesLeadToFiles) {
    static const std::regex link(R"(\]\(([^)#:]*)(#([^)]*))?\))");
    for (const auto& file : documents()) {
        const std::string text = wltest::readFile(file);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), link);
             it != std::sregex_iterator(); ++it) {
            const fs::path target =
                (*it)[1].length() == 0 ? file : file.parent_path() / (*it)[1].str();
            const std::string where = fs::relative(file, kSource).string() + " links to ";
            ASSERT_TRUE(fs::exists(target)) << where << "a missing " << (*it)[1];
            if ((*it)[3].matched) {
                const auto names = anchors(target);
                EXPECT_NE(std::find(names.begin(), names.end(), (*it)[3].str()), names.end())
                    << where << "no heading #" << (*it)[3] << " of " << target.filename();
            }
        }
    }
}

// One version: the changelog's newest entry is the one the build gives the plug-in and both
// programs, and what each of them reports.
TEST(Readme, ChangelogNamesTheVersionTheProgramsReport) {
    std::string newest;
    for (const std::string& l : readLines(kSource / "CHANGELOG.md"))
        if (l.rfind("## ", 0) == 0) {
            newest = l.substr(3, l.find(' ', 3) - 3);
            break;
        }
    EXPECT_EQ(newest, WL_VERSION) << "CHANGELOG.md's newest entry is not the build's version";
    EXPECT_EQ(wltest::runProgram({WL_HOST_EXE, "--version"}).out, "wingleaf-host " WL_VERSION "\n");
    EXPECT_EQ(wltest::runProgram({WL_FLIGHTLAB_EXE, "--version"}).out,
              "wingleaf-flightlab " WL_VERSION "\n");
    const auto listed = wltest::runHost(wltest::freshRoot("readme-version"), {"plugin list"});
    EXPECT_EQ(listed.out.rfind("wingleaf Wingleaf " WL_VERSION "\n", 0), 0u) << listed.out;
}

// Table rows of every document whose first cell starts with `prefix`, split into trimmed cells.
std::vector<Lines> tableRows(const std::string& prefix) {
    std::vector<Lines> rows;
    for (const auto& file : documents())
        for (const std::string& l : readLines(file)) {
            if (l.rfind("| " + prefix, 0) != 0) continue;
            Lines cells;
            std::istringstream cellsIn(l.substr(1));
            for (std::string c; std::getline(cellsIn, c, '|');) {
                c.erase(0, c.find_first_not_of(" `"));
                c.erase(c.find_last_not_of(" `") + 1);
                cells.push_back(c);
            }
            rows.push_back(cells);
        }
    return rows;
}

// Every "NAME = VALUE" answer of a session, per name, in order.
std::map<std::string, Lines> answers(const std::string& out) {
    std::map<std::string, Lines> result;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) {
        const auto eq = l.find(" = ");
        if (l.rfind("wl_", 0) == 0 && eq != std::string::npos)
            result[l.substr(0, eq)].push_back(l.substr(eq + 3));
    }
    return result;
}

bool sameValue(const std::string& shown, const std::string& actual) {
    char* end = nullptr;
    const double a = std::strtod(shown.c_str(), &end);
    if (shown.empty() || *end != '\0') return shown == actual;
    return std::fabs(a - std::strtod(actual.c_str(), nullptr)) <=
           1e-6 * std::max(1.0, std::fabs(a));
}

TEST(Readme, SettingsTableMatchesThePlugin) {
    // name, range, default, saved, what it does; a variable may have a row in several tables.
    const auto rows = tableRows("`wl_");
    std::map<std::string, Lines> first;
    for (const auto& r : rows) first.emplace(r[0], r);
    ASSERT_EQ(first.size(), 19u);
    Lines lines;
    for (const auto& [name, r] : first) lines.push_back(name);
    for (const auto& [name, r] : first) {
        if (r[1].find(" – ") == std::string::npos) continue;
        for (const char* v : {" -1000000", "", " 1000000", ""}) lines.push_back(name + v);
    }
    const auto root = wltest::freshRoot("readme-settings");
    const auto r = wltest::runHost(root, lines);
    const auto got = answers(r.out);
    // Appended rather than built as "\n" + file: GCC 12 at -O3 misreads that concatenation
    // as an overlapping copy (-Wrestrict).
    std::string config = "\n";
    config += wltest::readFile(root / "bakkesmod/cfg/config.cfg");
    for (const auto& row : rows) {
        const Lines& values = got.count(row[0]) ? got.at(row[0]) : Lines{};
        ASSERT_FALSE(values.empty()) << row[0] << " is not a variable";
        EXPECT_TRUE(sameValue(row[2], values[0])) << row[0] << " default " << values[0];
        const auto dash = row[1].find(" – ");
        if (dash != std::string::npos) {
            ASSERT_EQ(values.size(), 3u) << row[0];
            EXPECT_TRUE(sameValue(row[1].substr(0, dash), values[1]))
                << row[0] << " min " << values[1];
            EXPECT_TRUE(sameValue(row[1].substr(dash + 5), values[2]))
                << row[0] << " max " << values[2];
        }
        EXPECT_EQ(row[3] == "yes", config.find("\n" + row[0] + " \"") != std::string::npos)
            << row[0] << " saved: " << row[3];
    }
}

TEST(Readme, BasePresetTableMatchesThePlugin) {
    const auto header = tableRows("Preset |");
    ASSERT_EQ(header.size(), 1u);
    Lines lines{"sim_settings"};
    std::vector<Lines> rows;
    for (int n = 0; n <= 5; ++n) {
        std::vector<Lines> found = tableRows(std::to_string(n) + " ");
        found.erase(
            std::remove_if(found.begin(), found.end(),
                           [&](const Lines& row) { return row.size() != header[0].size(); }),
            found.end());
        ASSERT_EQ(found.size(), 1u) << "base preset " << n;
        rows.push_back(found[0]);
        lines.push_back("wl_preset " + std::to_string(n));
        for (std::size_t c = 1; c < header[0].size(); ++c) lines.push_back("wl_" + header[0][c]);
    }
    const auto r = wltest::runHost(wltest::freshRoot("readme-presets"), lines);
    const auto got = answers(r.out);
    for (int n = 0; n <= 5; ++n) {
        const Lines& row = rows[static_cast<std::size_t>(n)];
        const std::string label = row[0].substr(row[0].find(' ') + 1);
        EXPECT_NE(r.out.find("\n    " + label + "@" + std::to_string(n) + "\n"), std::string::npos)
            << "no drop-down option " << label;
        for (std::size_t c = 1; c < header[0].size(); ++c) {
            const std::string name = "wl_" + header[0][c];
            ASSERT_EQ(got.count(name) ? got.at(name).size() : 0u, 6u) << name;
            // "A → B": the preset holds A, the console stores B (clamped to the range).
            const auto arrow = row[c].find("→ ");
            const std::string shown =
                arrow == std::string::npos ? row[c] : row[c].substr(arrow + 4);
            EXPECT_TRUE(sameValue(shown, got.at(name)[static_cast<std::size_t>(n)]))
                << "preset " << n << " " << name << " "
                << got.at(name)[static_cast<std::size_t>(n)];
        }
    }
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
