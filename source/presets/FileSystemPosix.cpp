// The file-system calls of the preset procedures on POSIX systems.
// The build compiles this file on POSIX systems only; the guard keeps it empty where a tool
// compiles every source file for the other family.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "presets/FileReader.h"
#include "presets/FileSystem.h"

namespace wlfs {

namespace {

Status errnoStatus(int error) {
    return Status{false, std::strerror(error)};
}

int fdOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

namespace detail {

Reader::~Reader() {
    if (handle_ >= 0) ::close(fdOf(handle_));
}

ReadResult Reader::open(const std::string& path, std::string& error) {
    // Not blocking: opening a pipe nobody writes to would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        error = std::strerror(code);
        return code == ENOENT ? ReadResult::Missing : ReadResult::OpenFailed;
    }
    handle_ = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = std::strerror(errno);
        return ReadResult::ReadFailed;
    }
    if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? kIsDirectory : kNotRegular;
        return ReadResult::ReadFailed;
    }
    return ReadResult::Ok;
}

long Reader::read(char* buffer, std::size_t size, std::string& error) {
    for (;;) {
        const ssize_t got = ::read(fdOf(handle_), buffer, size);
        if (got >= 0) return static_cast<long>(got);
        if (errno != EINTR) {
            error = std::strerror(errno);
            return -1;
        }
    }
}

}  // namespace detail

DirectoryResult makeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return DirectoryResult::Created;
    return errno == EEXIST ? DirectoryResult::AlreadyExists : DirectoryResult::Failed;
}

Status setReplacementMode(const std::string& replacement, const std::string& /*target*/, int mode) {
    if (::chmod(replacement.c_str(), static_cast<mode_t>(mode)) != 0) return errnoStatus(errno);
    return {};
}

Status syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errnoStatus(errno);
    Status status;
    // Some file systems cannot sync a folder at all; their names are as durable as they get.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) status = errnoStatus(errno);
    ::close(fd);
    return status;
}

Status replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return errnoStatus(errno);
    // The new name is in place for every reader now; a failed sync only leaves it to the system
    // to write the folder later, so the replacement still counts as done.
    syncFolderOf(to);
    return {};
}

bool exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
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
    if (handle_ >= 0) ::close(fdOf(handle_));
}

Status OutputFile::create(const std::string& path) {
    status_ = {};
    // What stays in the way is named with the reason it could not go, rather than with the
    // "exists" of the exclusive create below.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return errnoStatus(errno);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errnoStatus(errno);
    handle_ = fd;
    return {};
}

void OutputFile::write(std::string_view data) {
    while (handle_ >= 0 && status_.ok && !data.empty()) {
        const ssize_t written = ::write(fdOf(handle_), data.data(), data.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            status_ = errnoStatus(written < 0 ? errno : ENOSPC);
            return;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

Status OutputFile::finish() {
    if (handle_ < 0) return Status{false, "file not open"};
    const int fd = fdOf(handle_);
    handle_ = -1;
    if (status_.ok && ::fsync(fd) != 0) status_ = errnoStatus(errno);
    if (::close(fd) != 0 && status_.ok) status_ = errnoStatus(errno);
    return status_;
}

FileLock::~FileLock() {
    // Closing the last descriptor of the open file releases the lock.
    if (handle_ >= 0) ::close(fdOf(handle_));
}

LockResult FileLock::acquire(const std::string& path, std::chrono::milliseconds wait,
                             std::string& error) {
    // Not blocking: opening a pipe nobody writes to would wait for a writer, and every change with
    // it. Only a regular file is ours to lock.
    const int fd =
        ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return LockResult::Failed;
    }
    struct stat status {};
    const char* refused = nullptr;
    if (::fstat(fd, &status) != 0)
        refused = std::strerror(errno);
    else if (!S_ISREG(status.st_mode))
        refused = S_ISDIR(status.st_mode) ? detail::kIsDirectory : detail::kNotRegular;
    if (refused != nullptr) {
        error = refused;
        ::close(fd);
        return LockResult::Failed;
    }
    handle_ = fd;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // A change holds the lock for milliseconds and another program's next change may follow it
    // within microseconds: polling often is what gives a waiting program its turn.
    const timespec pause{0, 500'000};
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockResult::Locked;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error = std::strerror(errno);
            return LockResult::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline) return LockResult::Busy;
        ::nanosleep(&pause, nullptr);
    }
}

}  // namespace wlfs
#endif
