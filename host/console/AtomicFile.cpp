// Replacing a file as a whole: the old content stays until the new one is complete.
#include "console/AtomicFile.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace host {

namespace {

#if defined(_WIN32)
int createNew(const std::filesystem::path& path) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long writeSome(int fd, const char* data, std::size_t n) { return ::_write(fd, data, static_cast<unsigned>(n)); }
bool syncAndClose(int fd) {
    const bool synced = ::_commit(fd) == 0;
    const bool closed = ::_close(fd) == 0;  // closed whether or not the sync failed
    return synced && closed;
}
#else
int createNew(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}
long writeSome(int fd, const char* data, std::size_t n) { return static_cast<long>(::write(fd, data, n)); }
bool syncAndClose(int fd) {
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;  // closed whether or not the sync failed
    return synced && closed;
}
#endif

bool writeAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const long n = writeSome(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int createFreshFile(const std::filesystem::path& temp) {
    std::error_code ec;
    // A leftover temporary (a file or a link) goes by name; a directory there is not ours.
    const auto kind = std::filesystem::symlink_status(temp, ec).type();
    if (kind != std::filesystem::file_type::not_found && kind != std::filesystem::file_type::directory)
        std::filesystem::remove(temp, ec);
    return createNew(temp);
}

bool replaceFile(const std::filesystem::path& file, const std::string& content, std::string& error) {
    std::filesystem::path temp = file;
    temp += ".tmp";
    std::error_code ec;
    const int fd = createFreshFile(temp);
    if (fd < 0) {
        error = "cannot write " + temp.string() + ": " + std::strerror(errno);
        return false;
    }
    const bool written = writeAll(fd, content);
    const int writeErrno = errno;
    if (!syncAndClose(fd) || !written) {
        error = "cannot write " + temp.string() + ": " + std::strerror(written ? errno : writeErrno);
        std::filesystem::remove(temp, ec);
        return false;
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        error = "cannot replace " + file.string() + ": " + ec.message();
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace host
