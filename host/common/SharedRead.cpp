// Reading files that other programs may replace or remove at the same moment.
#include "common/SharedRead.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include "common/WindowsApi.h"
#else
#include <unistd.h>
#endif

namespace host {

#if defined(_WIN32)

namespace {

int errnoOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        default:
            return EIO;
    }
}

}  // namespace

int openSharedForReading(const std::filesystem::path& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        const int e = errno;
        CloseHandle(handle);
        errno = e;
    }
    return fd;
}

void closeShared(int fd) {
    ::_close(fd);
}

long readShared(int fd, char* buf, std::size_t n) {
    return ::_read(fd, buf, static_cast<unsigned>(n));
}

#else

int openSharedForReading(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

void closeShared(int fd) {
    ::close(fd);
}

long readShared(int fd, char* buf, std::size_t n) {
    return static_cast<long>(::read(fd, buf, n));
}

#endif

bool readSharedFile(const std::filesystem::path& path, std::string& content, std::string& error) {
    content.clear();
    const int fd = openSharedForReading(path);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    char buf[1 << 16];
    for (;;) {
        const long got = readShared(fd, buf, sizeof buf);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            closeShared(fd);
            return false;
        }
        content.append(buf, static_cast<std::size_t>(got));
    }
    closeShared(fd);
    return true;
}

}  // namespace host
