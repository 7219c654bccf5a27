// Runs the wingleaf-host program the way a person would, for integration tests.
#include "support/HostRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace wltest {

std::vector<std::string> HostResult::lines() const {
    std::vector<std::string> result;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) result.push_back(line);
    return result;
}

std::filesystem::path freshRoot(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    std::filesystem::path base = tmp ? tmp : "/tmp";
    base /= "wingleaf-tests-" + std::to_string(::getpid());
    const auto dir = base / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

HostResult runProgram(const std::vector<std::string>& argv, const std::string& input) {
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]})
            close(fd);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        std::fprintf(stderr, "exec %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    // Feed the input while draining both outputs, so no pipe fills up.
    std::size_t written = 0;
    if (input.empty()) {
        close(inPipe[1]);
        inPipe[1] = -1;
    } else {
        fcntl(inPipe[1], F_SETFL, O_NONBLOCK);
    }
    HostResult result;
    bool outOpen = true, errOpen = true;
    char buf[65536];
    while (outOpen || errOpen) {
        pollfd fds[3];
        int n = 0;
        if (outOpen) fds[n++] = {outPipe[0], POLLIN, 0};
        if (errOpen) fds[n++] = {errPipe[0], POLLIN, 0};
        if (inPipe[1] >= 0) fds[n++] = {inPipe[1], POLLOUT, 0};
        if (poll(fds, n, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == inPipe[1]) {
                const ssize_t w = write(inPipe[1], input.data() + written, input.size() - written);
                if (w > 0) written += static_cast<std::size_t>(w);
                if (w < 0 || written == input.size()) {
                    close(inPipe[1]);
                    inPipe[1] = -1;
                }
                continue;
            }
            const ssize_t r = read(fds[i].fd, buf, sizeof buf);
            if (r <= 0) {
                if (fds[i].fd == outPipe[0]) outOpen = false; else errOpen = false;
            } else if (fds[i].fd == outPipe[0]) {
                result.out.append(buf, static_cast<std::size_t>(r));
            } else {
                result.err.append(buf, static_cast<std::size_t>(r));
            }
        }
    }
    if (inPipe[1] >= 0) close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
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
