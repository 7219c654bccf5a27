// Reading console lines typed at a terminal: a prompt with editing, Tab completion of names and
// history kept across sessions.
#include "app/Prompt.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "common/AtomicFile.h"
#include "console/Console.h"
#include "console/StopSignal.h"

#if defined(_WIN32)
#include <io.h>
#define WL_ISATTY _isatty
#else
#include <sys/select.h>
#include <unistd.h>
#define WL_ISATTY isatty
#endif

#if defined(WL_WITH_READLINE)
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace host {

namespace {

constexpr const char* kPrompt = "wingleaf> ";

#if defined(WL_WITH_READLINE)
constexpr int kHistoryLines = 1000;

// readline calls plain functions: they reach the one prompt through these.
Console* gConsole = nullptr;
// The line readline handed over; gHaveLine is false at end of input.
std::string gLine;
bool gHaveLine = false;
bool gDone = false;

void takeLine(char* raw) {
    gDone = true;
    gHaveLine = raw != nullptr;
    gLine.assign(raw ? raw : "");
    std::free(raw);
    rl_callback_handler_remove();
}

char* nextName(const char* text, int state) {
    static std::vector<std::string> matches;
    static std::size_t at = 0;
    if (state == 0) {
        matches.clear();
        at = 0;
        for (std::string& name : gConsole->names())
            if (name.rfind(text, 0) == 0) matches.push_back(std::move(name));
    }
    return at < matches.size() ? strdup(matches[at++].c_str()) : nullptr;
}

// Only the first word of a command names a command or variable; file names are never offered.
char** completeName(const char* text, int start, int) {
    rl_attempted_completion_over = 1;
    const std::string before(rl_line_buffer, static_cast<std::size_t>(start));
    const std::size_t command = before.find_last_of(';');
    const std::size_t from = command == std::string::npos ? 0 : command + 1;
    if (before.find_first_not_of(" \t", from) != std::string::npos) return nullptr;
    return rl_completion_matches(text, nextName);
}

// Drops the line being typed and shows a fresh prompt, as a shell does on Ctrl-C.
void abandonLine() {
    rl_echo_signal_char(SIGINT);
    rl_crlf();
    rl_replace_line("", 0);
    rl_on_new_line();
    rl_redisplay();
}

// Waits for typed input. False when a signal came first, also one that came just before: the
// signals stay blocked from the check until pselect waits.
bool waitForInput() {
    sigset_t stops, old;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    sigprocmask(SIG_BLOCK, &stops, &old);
    bool ready = false;
    int error = EINTR;
    if (stopSignal() == 0) {
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(0, &fds);
        ready = ::pselect(1, &fds, nullptr, nullptr, nullptr, &old) > 0;
        if (!ready) error = errno;
    }
    sigprocmask(SIG_SETMASK, &old, nullptr);
    errno = error;
    return ready;
}
#endif

}  // namespace

bool Prompt::interactive() { return WL_ISATTY(0) != 0; }

Prompt::Prompt(Console& console, std::filesystem::path historyFile)
    : console_(console), historyFile_(std::move(historyFile)) {
#if !defined(WL_WITH_READLINE)
    plain_.attach(0);
#else
    gConsole = &console_;
    rl_catch_signals = 0;  // the session's own handlers see Ctrl-C, SIGTERM and SIGHUP
    rl_attempted_completion_function = completeName;
    stifle_history(kHistoryLines);
    if (!historyFile_.empty()) read_history(historyFile_.string().c_str());
#endif
}

Prompt::~Prompt() {
    saveHistory();
#if defined(WL_WITH_READLINE)
    gConsole = nullptr;
#endif
}

void Prompt::saveHistory() {
#if defined(WL_WITH_READLINE)
    if (historyFile_.empty() || history_length == 0) return;
    std::string content;
    for (HIST_ENTRY** entry = history_list(); entry && *entry; ++entry) content += std::string((*entry)->line) + "\n";
    std::string error;
    if (!replaceFile(historyFile_, content, error)) console_.err("history: " + error);
#endif
}

std::optional<std::string> Prompt::next() {
#if defined(WL_WITH_READLINE)
    gDone = false;
    rl_callback_handler_install(kPrompt, takeLine);
    while (!gDone) {
        if (waitForInput()) {
            rl_callback_read_char();
        } else if (stopSignal() == SIGINT) {
            clearStopSignal();
            abandonLine();
        } else if (stopSignal() != 0 || errno != EINTR) {
            rl_callback_handler_remove();
            std::cout << "\n" << std::flush;
            return std::nullopt;
        }
    }
    if (!gHaveLine) return std::nullopt;
    if (gLine.find_first_not_of(" \t") != std::string::npos) {
        const HIST_ENTRY* last = history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
        if (!last || gLine != last->line) add_history(gLine.c_str());
    }
    return gLine;
#else
    return nextPlain();
#endif
}

#if !defined(WL_WITH_READLINE)
std::optional<std::string> Prompt::nextPlain() {
    std::cout << kPrompt << std::flush;
    std::string line;
    for (;;) {
        switch (plain_.next(line)) {
            case LineReader::Status::Line:
                return line;
            case LineReader::Status::Interrupted:
                if (stopSignal() == SIGINT) {
                    clearStopSignal();
                    std::cout << "\n" << kPrompt << std::flush;
                } else if (stopSignal() != 0) {
                    return std::nullopt;
                }
                break;
            case LineReader::Status::End:
                return std::nullopt;
            case LineReader::Status::TooLong:
                console_.err("standard input:" + std::to_string(plain_.lineNumber()) + ": line longer than 1 MiB");
                console_.markFailed();
                return std::nullopt;
            case LineReader::Status::Error:
                console_.err("cannot read standard input: " + plain_.error());
                console_.markFailed();
                return std::nullopt;
        }
    }
}
#endif

}  // namespace host
