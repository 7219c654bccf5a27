// The file-system calls of the preset procedures on Windows (and under Wine).
// The build compiles this file on Windows systems only; the guard keeps it empty where a tool
// compiles every source file for the other family.
#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "presets/FileReader.h"
#include "presets/FileSystem.h"

namespace wlfs {

namespace {

// The system's message for a Win32 error code, without its trailing line end.
Status errorStatus(DWORD code) {
    char buffer[512] = {};
    const DWORD size = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, size);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) text = "Windows error " + std::to_string(code);
    return Status{false, text};
}

Status lastErrorStatus() {
    return errorStatus(GetLastError());
}

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t heldHandle(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

constexpr std::intptr_t kClosed = -1;  // INVALID_HANDLE_VALUE

bool isMissing(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// Another program reading a file without sharing its deletion (an editor, a virus scanner, the
// host refreshing its settings windows) makes Windows refuse a rename over that file, or its
// removal, for as long as it holds it: usually milliseconds. A refused step is tried again for up
// to this long, backing off from 1 ms to at most 100 ms between tries. The bound stays below the
// 3 s another program's change waits for the presets' lock, so a reader never makes that change
// fail as busy; a file held for longer (an editor that keeps it open) is reported, and the
// player's game has waited no longer than this.
constexpr std::chrono::milliseconds kRefusedRetryBound{2000};
constexpr DWORD kRefusedRetryMaxDelayMs = 100;

bool isRefusedWhileHeld(DWORD code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED;
}

// Runs `step` (a Win32 call that returns whether it succeeded) until it succeeds, fails for
// another reason, or has been refused for kRefusedRetryBound; GetLastError() is the last try's.
template <typename Step>
bool retryWhileHeld(Step step) {
    const auto deadline = std::chrono::steady_clock::now() + kRefusedRetryBound;
    DWORD delay = 1;
    for (;;) {
        if (step()) return true;
        const DWORD code = GetLastError();
        if (!isRefusedWhileHeld(code) || std::chrono::steady_clock::now() >= deadline) {
            SetLastError(code);
            return false;
        }
        Sleep(delay);
        delay = std::min(delay * 2, kRefusedRetryMaxDelayMs);
    }
}

bool moveReplacing(const std::string& from, const std::string& to, DWORD flags) {
    return retryWhileHeld([&] {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | flags) != 0;
    });
}

// A new empty file of ours beside `path`, under a name nobody uses.
Status createScratch(const std::string& path, std::string& scratch) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        scratch = path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(attempt) + ".new";
        const HANDLE handle = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return {};
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return errorStatus(code);
    }
    return errorStatus(ERROR_FILE_EXISTS);
}

// Puts an empty file of ours at `path` with one rename, so that what had the name, a file or a
// link, is replaced and never followed. Deleting the name would do on Windows, which deletes a
// link itself; Wine (the game under Linux) deletes what the link points to instead.
Status takeOverName(const std::string& path) {
    std::string scratch;
    const Status created = createScratch(path, scratch);
    if (!created.ok) return created;
    if (!moveReplacing(scratch, path, 0)) {
        const Status refused = lastErrorStatus();
        DeleteFileA(scratch.c_str());
        return refused;
    }
    return {};
}

}  // namespace

namespace detail {

Reader::~Reader() {
    if (handle_ != kClosed) CloseHandle(handleOf(handle_));
}

ReadResult Reader::open(const std::string& path, std::string& error) {
    // Without backup semantics a directory does not open: ask first, for a clear reason.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = kIsDirectory;
        return ReadResult::ReadFailed;
    }
    // Shared for deletion too: a file being read must not stop another program from replacing
    // it (a rename over a file opened without that share fails with a sharing violation).
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = errorStatus(code).error;
        return isMissing(code) ? ReadResult::Missing : ReadResult::OpenFailed;
    }
    handle_ = heldHandle(handle);
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        error = kNotRegular;
        return ReadResult::ReadFailed;
    }
    return ReadResult::Ok;
}

long Reader::read(char* buffer, std::size_t size, std::string& error) {
    DWORD got = 0;
    if (!ReadFile(handleOf(handle_), buffer, static_cast<DWORD>(size), &got, nullptr)) {
        error = lastErrorStatus().error;
        return -1;
    }
    return static_cast<long>(got);
}

}  // namespace detail

DirectoryResult makeDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return DirectoryResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? DirectoryResult::AlreadyExists
                                                  : DirectoryResult::Failed;
}

Status setReplacementMode(const std::string& replacement, const std::string& target, int mode) {
    const auto apply = [mode](const std::string& path) -> Status {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return lastErrorStatus();
        const DWORD wanted = (mode & 0200) ? (attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})
                                           : (attributes | FILE_ATTRIBUTE_READONLY);
        if (wanted != attributes && !SetFileAttributesA(path.c_str(), wanted))
            return lastErrorStatus();
        return {};
    };
    const Status old = apply(target);
    if (!old.ok) return old;
    return apply(replacement);
}

Status replaceFile(const std::string& from, const std::string& to) {
    if (!moveReplacing(from, to, MOVEFILE_WRITE_THROUGH)) return lastErrorStatus();
    return {};
}

Status syncFolderOf(const std::string& /*path*/) {
    return {};  // the write-through move leaves nothing to sync
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Status removeFile(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return lastErrorStatus();
    const Status taken = takeOverName(path);
    if (!taken.ok) return taken;
    if (!retryWhileHeld([&] { return DeleteFileA(path.c_str()) != 0; })) return lastErrorStatus();
    return {};
}

Status removeIfPresent(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && isMissing(GetLastError()))
        return {};
    return removeFile(path);
}

OutputFile::~OutputFile() {
    if (handle_ != kClosed) CloseHandle(handleOf(handle_));
}

Status OutputFile::create(const std::string& path) {
    status_ = {};
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) return errorStatus(code);
        // A leftover: put a file of ours in its place, then open that one.
        const Status taken = takeOverName(path);
        if (!taken.ok) return taken;
        handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return lastErrorStatus();
    }
    handle_ = heldHandle(handle);
    return {};
}

void OutputFile::write(std::string_view data) {
    while (handle_ != kClosed && status_.ok && !data.empty()) {
        DWORD written = 0;
        if (!WriteFile(handleOf(handle_), data.data(), static_cast<DWORD>(data.size()), &written,
                       nullptr) ||
            written == 0) {
            status_ = lastErrorStatus();
            return;
        }
        data.remove_prefix(written);
    }
}

Status OutputFile::finish() {
    if (handle_ == kClosed) return Status{false, "file not open"};
    const HANDLE handle = handleOf(handle_);
    handle_ = kClosed;
    if (status_.ok && !FlushFileBuffers(handle)) status_ = lastErrorStatus();
    if (!CloseHandle(handle) && status_.ok) status_ = lastErrorStatus();
    return status_;
}

FileLock::~FileLock() {
    // Closing the handle releases its locks.
    if (handle_ != kClosed) CloseHandle(handleOf(handle_));
}

LockResult FileLock::acquire(const std::string& path, std::chrono::milliseconds wait,
                             std::string& error) {
    // Created only where nothing has the name, so a link never makes a file elsewhere; one that
    // stands there is only opened for reading, which changes nothing.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE &&
        (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS))
        handle = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = lastErrorStatus().error;
        return LockResult::Failed;
    }
    handle_ = heldHandle(handle);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // A change holds the lock for milliseconds and another program's next change may follow it
    // within microseconds: polling often is what gives a waiting program its turn.
    for (;;) {
        OVERLAPPED range{};
        if (LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &range))
            return LockResult::Locked;
        const DWORD code = GetLastError();
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_IO_PENDING) {
            error = errorStatus(code).error;
            return LockResult::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) return LockResult::Busy;
        Sleep(1);
    }
}

}  // namespace wlfs
#endif
