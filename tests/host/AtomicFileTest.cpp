// Replacing files whole: what is kept when a step fails, leftover temporaries and links, and
// several writers of one file at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <climits>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/AtomicFile.h"
#include "wltest/HostRunner.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> names(const fs::path& dir) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        found.insert(entry.path().filename().string());
    return found;
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override { root = wltest::freshRoot("atomic-file"); }
    fs::path root;
};

TEST_F(AtomicFile, LeftoverTemporariesOfEndedWritersGoByNameNeverFollowed) {
    const fs::path file = root / "data.txt";
    wltest::writeFile(root / "victim.txt", "victim");
    // No process has the largest pid number; pid 1 always runs; the others are not our names
    // (the plug-in writes wingleaf.set.tmp while it changes that file).
    const std::string gone = std::string("data.txt.").append(std::to_string(INT_MAX)).append("-0.tmp");
    fs::create_symlink(root / "victim.txt", root / gone);
    wltest::writeFile(root / "data.txt.1-3.tmp", "a running writer's");
    wltest::writeFile(root / "data.txt.tmp", "not ours");
    wltest::writeFile(root / (gone + ".keep"), "not ours");
    std::string error;
    ASSERT_TRUE(host::replaceFile(file, "new", error)) << error;
    EXPECT_EQ(wltest::readFile(file), "new");
    EXPECT_EQ(wltest::readFile(root / "victim.txt"), "victim");
    EXPECT_EQ(names(root), (std::set<std::string>{"data.txt", "data.txt.1-3.tmp", "data.txt.tmp",
                                                  gone + ".keep", "victim.txt"}));

    // A copy larger than one read buffer arrives whole.
    const std::string big(200000, 'x');
    wltest::writeFile(root / "big.txt", big + "end");
    ASSERT_TRUE(host::copyReplacing(root / "big.txt", file, error)) << error;
    EXPECT_EQ(wltest::readFile(file), big + "end");
}

TEST_F(AtomicFile, AFailedStepKeepsTheOldFileAndLeavesNoTemporary) {
    const fs::path file = root / "data.txt";
    wltest::writeFile(file, "old");
    std::string error;

    EXPECT_FALSE(host::copyReplacing(root / "missing.txt", file, error));
    EXPECT_EQ(error, "cannot read " + (root / "missing.txt").string());

    EXPECT_FALSE(host::replaceFile(root / "no-such-dir" / "data.txt", "new", error));
    EXPECT_EQ(error, "cannot write " + (root / "no-such-dir" / "data.txt").string() +
                         ": No such file or directory");

    // A folder where the file goes cannot be replaced.
    fs::create_directory(root / "folder");
    EXPECT_FALSE(host::replaceFile(root / "folder", "new", error));
    EXPECT_EQ(error, "cannot replace " + (root / "folder").string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(root / "folder"));

    host::FileReplacement unopened(file);
    EXPECT_FALSE(unopened.commit());
    EXPECT_EQ(unopened.error(), "cannot write " + file.string() + ": not open");

    // A full disk, as a file size limit: the write fails, the old content stays.
    struct rlimit before {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit limited = before;
    limited.rlim_cur = 1024;
    auto* const oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = host::replaceFile(file, std::string(100000, 'y'), error);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, "cannot write " + file.string() + ": File too large");
    EXPECT_EQ(wltest::readFile(file), "old");
    EXPECT_EQ(names(root), (std::set<std::string>{"data.txt", "folder"}));  // no temporary left
}

TEST_F(AtomicFile, WritersOfOneFileAtOnceAllSucceedAndTheLastStandsWhole) {
    const fs::path file = root / "data.txt";
    constexpr int kWriters = 4, kRounds = 40;
    std::vector<std::string> errors(kWriters);
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            const std::string content(40000, static_cast<char>('a' + w));
            for (int round = 0; round < kRounds; ++round) {
                std::string error;
                if (!host::replaceFile(file, content, error)) errors[w] += error + "\n";
            }
        });
    }
    for (auto& writer : writers) writer.join();
    EXPECT_EQ(errors, std::vector<std::string>(kWriters));
    const std::string last = wltest::readFile(file);
    ASSERT_EQ(last.size(), 40000u);
    EXPECT_EQ(last, std::string(40000, last[0]));
    EXPECT_EQ(names(root), std::set<std::string>{"data.txt"});
}

}  // namespace
