// The interactive prompt driven through a pseudo-terminal, as a person types at it: Tab
// completion, history across sessions, Ctrl-C abandoning the line being typed.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "wltest/HostRunner.h"

namespace {

// wingleaf-host on the slave side of a pseudo-terminal; the test types on the master side.
class Terminal {
public:
    explicit Terminal(const std::filesystem::path& root) {
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            setenv("TERM", "dumb", 1);
            execl(WL_HOST_EXE, WL_HOST_EXE, "--root", root.c_str(), "--plugin", WL_PLUGIN_PATH, nullptr);
            _exit(127);
        }
    }
    ~Terminal() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    void type(const std::string& keys) { ASSERT_EQ(write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }

    // Reads until everything seen since the last call contains TEXT; false after 20 s.
    bool expect(const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (seen_.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > until || !readSome()) return false;
        }
        seen_.erase(0, seen_.find(text) + text.size());
        return true;
    }

    // Waits for the end of the program: its exit status, -1 when it is still running after 20 s.
    int finish() {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool open = true;
        while (open && std::chrono::steady_clock::now() < until) open = readSome();
        if (open) return -1;  // the destructor kills it
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    bool readSome() {
        pollfd fd{master_, POLLIN, 0};
        if (poll(&fd, 1, 1000) < 0) return false;
        if (!(fd.revents & (POLLIN | POLLHUP))) return true;
        char buf[4096];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n <= 0) return false;  // the program closed the terminal
        seen_.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int master_ = -1;
    std::string seen_;
};

TEST(Prompt, TabCompletesNamesCtrlCAbandonsTheLineAndHistorySurvivesARestart) {
    const auto root = wltest::freshRoot("prompt");
    {
        Terminal t(root);
        ASSERT_TRUE(t.expect("wingleaf> "));
        t.type("wl_air\t");
        ASSERT_TRUE(t.expect("wl_air_density"));
        t.type("0.25");
        ASSERT_TRUE(t.expect("0.25"));
        t.type("\x03");  // Ctrl-C: the typed line is dropped, the session goes on
        ASSERT_TRUE(t.expect("^C"));
        ASSERT_TRUE(t.expect("wingleaf> "));
        t.type("wl_air\t\n");
        ASSERT_TRUE(t.expect("wl_air_density = 0\r\n"));
        t.type("quit\n");
        EXPECT_EQ(t.finish(), 0);
    }
    EXPECT_EQ(wltest::readFile(root / ".wingleaf_history"), "wl_air_density \nquit\n");
    {
        Terminal t(root);
        ASSERT_TRUE(t.expect("wingleaf> "));
        t.type("\x10\x10\n");  // Ctrl-P twice: the line before the last session's quit
        ASSERT_TRUE(t.expect("wl_air_density = 0\r\n"));
        ASSERT_TRUE(t.expect("wingleaf> "));  // Ctrl-D ends the input only at the prompt
        t.type("\x04");
        EXPECT_EQ(t.finish(), 0);
    }
}

}  // namespace
