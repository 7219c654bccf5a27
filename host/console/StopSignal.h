// A request to end the session that arrived as a signal (Ctrl-C, SIGTERM, a hang-up).
#pragma once

namespace host {

// Records SIGNAL as the reason to stop. Safe to call from a signal handler.
void noteStopSignal(int signal) noexcept;
// The signal that asked the session to stop, or 0.
int stopSignal() noexcept;
// Makes SIGINT, SIGTERM and (on POSIX) SIGHUP note themselves here instead of ending the
// program. Without
// SA_RESTART a blocked read or poll returns at once and can see the request.
void installStopHandlers() noexcept;
// Makes SIGPIPE (a reader of the program's output went away, as `| head` does) note itself
// like SIGTERM, so that the session ends the normal way; nothing on Windows, which has no such
// signal. Not part of installStopHandlers: a server answering sockets must outlive its clients.
void stopWhenOutputCloses() noexcept;
// Forgets the request (Ctrl-C at the prompt abandons only the line being typed).
void clearStopSignal() noexcept;

}  // namespace host
