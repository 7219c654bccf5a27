// Replacing files whole: what is kept when a step fails, leftovers and links at the temporary.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "common/AtomicFile.h"
#include "wltest/HostRunner.h"

namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override { root = wltest::freshRoot("atomic-file"); }
    fs::path root;
};

TEST_F(AtomicFile, ALeftoverTemporaryOrLinkThereIsReplacedNeverFollowed) {
    const fs::path file = root / "data.txt";
    wltest::writeFile(root / "victim.txt", "victim");
    fs::create_symlink(root / "victim.txt", root / "data.txt.tmp");
    std::string error;
    ASSERT_TRUE(host::replaceFile(file, "new", error)) << error;
    EXPECT_EQ(wltest::readFile(file), "new");
    EXPECT_EQ(wltest::readFile(root / "victim.txt"), "victim");
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "data.txt.tmp")));

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
    EXPECT_FALSE(fs::exists(root / "folder.tmp"));

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
    EXPECT_FALSE(fs::exists(root / "data.txt.tmp"));
}

}  // namespace
