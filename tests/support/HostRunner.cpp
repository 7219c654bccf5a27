// Runs the wingleaf-host program the way a person would, for integration tests.
#include "wltest/HostRunner.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace wltest {

namespace {

namespace fs = std::filesystem;

bool keepScratch() {
    const char* keep = std::getenv("WL_KEEP_TEST_FILES");
    return keep != nullptr && *keep != '\0' && std::string(keep) != "0";
}

// Removes the scratch paths a test made when it ends, passed or failed, and this process's
// scratch folder when the program ends; with WL_KEEP_TEST_FILES set it only says where they are.
class ScratchSweeper : public ::testing::EmptyTestEventListener {
public:
    void add(const fs::path& path) { (inTest_ ? testPaths_ : programPaths_).push_back(path); }

private:
    void OnTestStart(const ::testing::TestInfo&) override { inTest_ = true; }
    void OnTestEnd(const ::testing::TestInfo&) override {
        inTest_ = false;
        sweep(testPaths_);
    }
    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        sweep(programPaths_);
        if (!keepScratch()) {
            std::error_code ec;
            fs::remove(processFolder(), ec);  // only when empty: something else may still be there
        }
    }
    static void sweep(std::vector<fs::path>& paths) {
        for (const fs::path& path : paths) {
            std::error_code ec;
            if (!fs::exists(fs::symlink_status(path, ec))) continue;
            if (keepScratch()) {
                std::cerr << "kept " << path.string() << "\n";
                continue;
            }
            fs::remove_all(path, ec);
            if (ec) std::cerr << "could not remove " << path.string() << ": " << ec.message() << "\n";
        }
        paths.clear();
    }

    bool inTest_ = false;
    std::vector<fs::path> testPaths_;
    std::vector<fs::path> programPaths_;
};

ScratchSweeper& sweeper() {
    // Owned by GoogleTest's listener list once appended.
    static ScratchSweeper* const instance = [] {
        auto* s = new ScratchSweeper;
        ::testing::UnitTest::GetInstance()->listeners().Append(s);
        return s;
    }();
    return *instance;
}

// Registered before main runs, so that a folder made in a test's first line is already swept.
[[maybe_unused]] const bool kSweeperRegistered = (sweeper(), true);

}  // namespace

fs::path processFolder() {
    const char* tmp = std::getenv("TMPDIR");
    fs::path base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    return base / ("wingleaf-tests-" + std::to_string(::getpid()));
}

void removeAfterTest(const fs::path& path) {
    sweeper().add(path);
}

fs::path freshRoot(const std::string& name) {
    const auto dir = processFolder() / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    removeAfterTest(dir);
    return dir;
}

HostResult runProgram(const std::vector<std::string>& argv, const std::string& input) {
    return wlproc::runProcess(argv, {input, std::chrono::minutes(5)});
}

HostResult runHost(const std::filesystem::path& root, const std::vector<std::string>& lines,
                   const std::vector<std::string>& extraArgs, bool loadPlugin) {
    std::vector<std::string> argv{WL_HOST_EXE, "--root", root.string()};
    if (loadPlugin) {
        argv.push_back("--plugin");
        argv.push_back(WL_PLUGIN_PATH);
    }
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());
    for (const auto& line : lines) {
        argv.push_back("-c");
        argv.push_back(line);
    }
    return runProgram(argv);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

}  // namespace wltest
