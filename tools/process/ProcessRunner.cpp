// Starting other programs for the tools and the tests, over posix_spawn and pipes.
#include "process/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace wlproc {

namespace {

using Clock = std::chrono::steady_clock;

// A pipe whose ends close on exec, so that a program another thread starts meanwhile never
// inherits them (it would hold the pipe open and keep the reader waiting).
struct Pipe {
    int end[2] = {-1, -1};
    Pipe() {
        if (::pipe2(end, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    ~Pipe() {
        close(0);
        close(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void close(int i) {
        if (end[i] >= 0) ::close(end[i]);
        end[i] = -1;
    }
    int release(int i) {
        const int fd = end[i];
        end[i] = -1;
        return fd;
    }
};

// Starts argv with the given descriptors as its standard input, output and error (-1: the
// caller's own).
pid_t spawn(const std::vector<std::string>& argv, int in, int out, int err) {
    if (argv.empty()) throw std::runtime_error("no program to start");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in, 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    if (err >= 0) posix_spawn_file_actions_adddup2(&actions, err, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    return pid;
}

void setStatus(ProcessResult& r, int status) {
    if (WIFSIGNALED(status)) {
        r.signal = WTERMSIG(status);
        r.exitCode = 128 + r.signal;
    } else {
        r.exitCode = WEXITSTATUS(status);
    }
}

// Waits for pid to end; past the deadline (when there is one) it is killed first.
void reap(pid_t pid, bool hasDeadline, Clock::time_point deadline, ProcessResult& r) {
    int status = 0;
    while (hasDeadline) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return setStatus(r, status);
        if (done < 0 && errno != EINTR) return;
        if (Clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            r.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return;
    }
    setStatus(r, status);
}

// A write that a reader which has gone away answers with EPIPE rather than with a SIGPIPE
// ending the caller: the signal is blocked for this thread meanwhile and taken off again.
ssize_t writeQuietly(int fd, const char* data, std::size_t size) {
    sigset_t pipeSignal, previous, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t written = ::write(fd, data, size);
    const int error = errno;
    if (written < 0 && error == EPIPE && !alreadyPending) {
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return written;
}

}  // namespace

std::vector<std::string> ProcessResult::lines() const {
    std::vector<std::string> result;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) result.push_back(line);
    return result;
}

namespace {

// The parent's side of a run: feeds the input and collects both outputs.
struct Exchange {
    Pipe& in;
    Pipe& out;
    Pipe& err;
    const std::string& input;
    ProcessResult& result;
    std::size_t written = 0;

    void feed() {
        const ssize_t w = writeQuietly(in.end[1], input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) in.close(1);
    }

    void drain(int fd) {
        char buf[65536];
        const bool isOut = fd == out.end[0];
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR) return;
        if (r <= 0) (isOut ? out : err).close(0);
        else (isOut ? result.out : result.err).append(buf, static_cast<std::size_t>(r));
    }

    // Waits up to `wait` ms (-1: no limit) for a pipe to be ready and serves it; false when
    // the wait itself failed.
    bool step(int wait) {
        pollfd fds[3];
        int n = 0;
        for (int fd : {out.end[0], err.end[0]})
            if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
        if (in.end[1] >= 0) fds[n++] = {in.end[1], POLLOUT, 0};
        if (::poll(fds, static_cast<nfds_t>(n), wait) < 0) return errno == EINTR;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == in.end[1]) feed();
            else drain(fds[i].fd);
        }
        return true;
    }
};

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    Pipe in, out, err;
    const pid_t pid = spawn(argv, in.end[0], out.end[1], err.end[1]);
    in.close(0);
    out.close(1);
    err.close(1);
    if (options.input.empty()) in.close(1);
    else ::fcntl(in.end[1], F_SETFL, O_NONBLOCK);

    const bool hasDeadline = options.timeout.count() > 0;
    const Clock::time_point deadline = Clock::now() + options.timeout;
    ProcessResult result;
    Exchange exchange{in, out, err, options.input, result};
    // Feed the input while draining both outputs, so that no pipe fills up and stalls.
    while (out.end[0] >= 0 || err.end[0] >= 0) {
        int wait = -1;
        if (hasDeadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            wait = static_cast<int>(left.count());
        }
        if (!exchange.step(wait)) break;
    }
    in.close(1);
    out.close(0);
    err.close(0);
    reap(pid, hasDeadline, deadline, result);
    return result;
}

RunningProcess::RunningProcess(const std::vector<std::string>& argv) {
    Pipe in, out;
    pid_ = spawn(argv, in.end[0], out.end[1], -1);
    input_ = in.release(1);
    output_ = out.release(0);
}

RunningProcess::~RunningProcess() { finish(); }

std::string RunningProcess::readLine() {
    std::string line;
    char c = 0;
    while (output_ >= 0) {
        const ssize_t r = ::read(output_, &c, 1);
        if (r < 0 && errno == EINTR) continue;
        if (r != 1 || c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

int RunningProcess::finish() {
    if (pid_ < 0) return -1;
    ::close(input_);
    // Read to its end, so that the program never meets a closed output while it finishes.
    char buf[4096];
    while (true) {
        const ssize_t r = ::read(output_, buf, sizeof buf);
        if (r > 0 || (r < 0 && errno == EINTR)) continue;
        break;
    }
    ::close(output_);
    ProcessResult r;
    reap(pid_, false, Clock::time_point(), r);
    pid_ = input_ = output_ = -1;
    return r.exitCode;
}

}  // namespace wlproc
