// Windows and POSIX branches of the preset procedures' file-system calls.
#include "presets/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace wlfs {

namespace {

// Reasons of our own, worded alike on both platforms.
constexpr const char* kIsDirectory = "Is a directory";
constexpr const char* kNotRegular = "Not a regular file";
constexpr const char* kTooLarge = "File too large";

#ifdef _WIN32
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
#else
Status errnoStatus(int error) {
    return Status{false, std::strerror(error)};
}
#endif

// An open file being read, closed on every way out.
class Reader {
public:
    Reader() = default;
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
#ifdef _WIN32
    ~Reader() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

    ReadResult open(const std::string& path, std::string& error) {
        // Without backup semantics a directory does not open: ask first, for a clear reason.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            error = kIsDirectory;
            return ReadResult::ReadFailed;
        }
        handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            error = errorStatus(code).error;
            return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                       ? ReadResult::Missing
                       : ReadResult::OpenFailed;
        }
        if (GetFileType(handle_) != FILE_TYPE_DISK) {
            error = kNotRegular;
            return ReadResult::ReadFailed;
        }
        return ReadResult::Ok;
    }

    // Bytes read (0 at the end), or -1 with `error` set.
    long read(char* buffer, std::size_t size, std::string& error) {
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, nullptr)) {
            error = lastErrorStatus().error;
            return -1;
        }
        return static_cast<long>(got);
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    ~Reader() {
        if (fd_ >= 0) ::close(fd_);
    }

    ReadResult open(const std::string& path, std::string& error) {
        // Not blocking: opening a pipe nobody writes to would wait for a writer.
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            const int code = errno;
            error = std::strerror(code);
            return code == ENOENT ? ReadResult::Missing : ReadResult::OpenFailed;
        }
        struct stat status {};
        if (::fstat(fd_, &status) != 0) {
            error = std::strerror(errno);
            return ReadResult::ReadFailed;
        }
        if (!S_ISREG(status.st_mode)) {
            error = S_ISDIR(status.st_mode) ? kIsDirectory : kNotRegular;
            return ReadResult::ReadFailed;
        }
        return ReadResult::Ok;
    }

    long read(char* buffer, std::size_t size, std::string& error) {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) return static_cast<long>(got);
            if (errno != EINTR) {
                error = std::strerror(errno);
                return -1;
            }
        }
    }

private:
    int fd_ = -1;
#endif
};

// Up to `limit` bytes into `content`; `longer` tells whether the file holds more.
ReadResult readUpTo(const std::string& path, std::size_t limit, std::string& content,
                    std::string& error, bool& longer) {
    content.clear();
    longer = false;
    Reader reader;
    const ReadResult opened = reader.open(path, error);
    if (opened != ReadResult::Ok) return opened;
    char buffer[8192];
    for (;;) {
        // One byte beyond the limit tells a file of exactly `limit` bytes from a longer one.
        const std::size_t wanted = (std::min)(sizeof buffer, limit + 1 - content.size());
        const long got = reader.read(buffer, wanted, error);
        if (got < 0) return ReadResult::ReadFailed;
        if (got == 0) return ReadResult::Ok;
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > limit) {
            content.resize(limit);
            longer = true;
            return ReadResult::Ok;
        }
    }
}

}  // namespace

#ifdef _WIN32

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
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastErrorStatus();
    return {};
}

namespace {

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
    if (!MoveFileExA(scratch.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const Status refused = lastErrorStatus();
        DeleteFileA(scratch.c_str());
        return refused;
    }
    return {};
}

bool isMissing(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

}  // namespace

Status removeFile(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return lastErrorStatus();
    const Status taken = takeOverName(path);
    if (!taken.ok) return taken;
    if (!DeleteFileA(path.c_str())) return lastErrorStatus();
    return {};
}

Status removeIfPresent(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && isMissing(GetLastError()))
        return {};
    return removeFile(path);
}

OutputFile::~OutputFile() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
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
    handle_ = handle;
    return {};
}

void OutputFile::write(std::string_view data) {
    while (handle_ && status_.ok && !data.empty()) {
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(handle_), data.data(), static_cast<DWORD>(data.size()),
                       &written, nullptr) ||
            written == 0) {
            status_ = lastErrorStatus();
            return;
        }
        data.remove_prefix(written);
    }
}

Status OutputFile::finish() {
    if (!handle_) return Status{false, "file not open"};
    const HANDLE handle = static_cast<HANDLE>(handle_);
    handle_ = nullptr;
    if (status_.ok && !FlushFileBuffers(handle)) status_ = lastErrorStatus();
    if (!CloseHandle(handle) && status_.ok) status_ = lastErrorStatus();
    return status_;
}

#else

DirectoryResult makeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return DirectoryResult::Created;
    return errno == EEXIST ? DirectoryResult::AlreadyExists : DirectoryResult::Failed;
}

Status setReplacementMode(const std::string& replacement, const std::string& /*target*/, int mode) {
    if (::chmod(replacement.c_str(), static_cast<mode_t>(mode)) != 0) return errnoStatus(errno);
    return {};
}

Status replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return errnoStatus(errno);
    return {};
}

// Files only: POSIX remove would also take an empty directory, which Windows' remove refuses.
Status removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return errnoStatus(errno);
    return {};
}

Status removeIfPresent(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return errnoStatus(errno);
    return {};
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

Status OutputFile::create(const std::string& path) {
    status_ = {};
    ::unlink(path.c_str());  // whatever stays in the way makes the exclusive create fail below
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errnoStatus(errno);
    fd_ = fd;
    return {};
}

void OutputFile::write(std::string_view data) {
    while (fd_ >= 0 && status_.ok && !data.empty()) {
        const ssize_t written = ::write(fd_, data.data(), data.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            status_ = errnoStatus(written < 0 ? errno : ENOSPC);
            return;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

Status OutputFile::finish() {
    if (fd_ < 0) return Status{false, "file not open"};
    const int fd = fd_;
    fd_ = -1;
    if (status_.ok && ::fsync(fd) != 0) status_ = errnoStatus(errno);
    if (::close(fd) != 0 && status_.ok) status_ = errnoStatus(errno);
    return status_;
}

#endif

ReadResult readFile(const std::string& path, std::size_t limit, std::string& content,
                    std::string& error) {
    bool longer = false;
    const ReadResult result = readUpTo(path, limit, content, error, longer);
    if (result == ReadResult::Ok && longer) {
        content.clear();
        error = kTooLarge;
        return ReadResult::ReadFailed;
    }
    return result;
}

ReadResult readFilePrefix(const std::string& path, std::size_t limit, std::string& content,
                          bool& longer, std::string& error) {
    return readUpTo(path, limit, content, error, longer);
}

}  // namespace wlfs
