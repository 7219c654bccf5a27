// Replacing a file as a whole: the old content stays until the new one is complete.
#include "common/AtomicFile.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

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
std::FILE* streamOn(int fd) { return ::_fdopen(fd, "wb"); }
void closeDescriptor(int fd) { ::_close(fd); }
bool sync(std::FILE* f) { return ::_commit(::_fileno(f)) == 0; }
#else
int createNew(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}
std::FILE* streamOn(int fd) { return ::fdopen(fd, "wb"); }
void closeDescriptor(int fd) { ::close(fd); }
bool sync(std::FILE* f) { return ::fsync(::fileno(f)) == 0; }
#endif

}  // namespace

int createFreshFile(const std::filesystem::path& temp) {
    std::error_code ec;
    // A leftover temporary (a file or a link) goes by name; a directory there is not ours.
    const auto kind = std::filesystem::symlink_status(temp, ec).type();
    if (kind != std::filesystem::file_type::not_found && kind != std::filesystem::file_type::directory)
        std::filesystem::remove(temp, ec);
    return createNew(temp);
}

FileReplacement::FileReplacement(std::filesystem::path file) : file_(std::move(file)) {
    temp_ = file_;
    temp_ += ".tmp";
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::fail(const std::string& what, int errorNumber) {
    error_ = what + " " + file_.string() + ": " + std::strerror(errorNumber);
    discard();
}

void FileReplacement::discard() {
    if (out_ == nullptr) return;
    std::fclose(out_);
    out_ = nullptr;
    std::error_code ec;
    std::filesystem::remove(temp_, ec);
}

bool FileReplacement::open() {
    discard();
    error_.clear();
    writeErrno_ = 0;
    const int fd = createFreshFile(temp_);
    if (fd < 0) {
        error_ = "cannot write " + file_.string() + ": " + std::strerror(errno);
        return false;
    }
    out_ = streamOn(fd);
    if (out_ == nullptr) {
        const int e = errno;
        closeDescriptor(fd);
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
        error_ = "cannot write " + file_.string() + ": " + std::strerror(e);
        return false;
    }
    return true;
}

bool FileReplacement::write(const char* data, std::size_t size) {
    if (out_ == nullptr) return false;
    errno = 0;
    if (std::fwrite(data, 1, size, out_) == size) return true;
    if (writeErrno_ == 0) writeErrno_ = errno != 0 ? errno : EIO;
    return false;
}

bool FileReplacement::commit() {
    if (out_ == nullptr) {
        if (error_.empty()) error_ = "cannot write " + file_.string() + ": not open";
        return false;
    }
    errno = 0;
    const bool written = std::fflush(out_) == 0 && std::ferror(out_) == 0;
    const int writeErrno = writeErrno_ != 0 ? writeErrno_ : errno != 0 ? errno : EIO;
    if (!written) return fail("cannot write", writeErrno), false;
    if (!sync(out_)) return fail("cannot write", errno), false;
    const bool closed = std::fclose(out_) == 0;
    out_ = nullptr;
    std::error_code ec;
    if (!closed) {
        const int e = errno;
        std::filesystem::remove(temp_, ec);
        error_ = "cannot write " + file_.string() + ": " + std::strerror(e);
        return false;
    }
    std::filesystem::rename(temp_, file_, ec);
    if (ec) {
        error_ = "cannot replace " + file_.string() + ": " + ec.message();
        std::filesystem::remove(temp_, ec);
        return false;
    }
    return true;
}

bool replaceFile(const std::filesystem::path& file, const std::string& content, std::string& error) {
    FileReplacement out(file);
    if (!out.open()) return error = out.error(), false;
    out.write(content.data(), content.size());
    if (!out.commit()) return error = out.error(), false;
    return true;
}

bool copyReplacing(const std::filesystem::path& from, const std::filesystem::path& file, std::string& error) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return error = "cannot read " + from.string(), false;
    FileReplacement out(file);
    if (!out.open()) return error = out.error(), false;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
        out.write(buf, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return error = "cannot read " + from.string(), false;
    if (!out.commit()) return error = out.error(), false;
    return true;
}

}  // namespace host
