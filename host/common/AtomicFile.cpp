// Replacing a file as a whole: the old content stays until the new one is complete.
#include "common/AtomicFile.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/SharedRead.h"

#if defined(_WIN32)
#include <sys/stat.h>

#include "common/WindowsApi.h"
#else
#include <signal.h>
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
unsigned long currentProcess() {
    return GetCurrentProcessId();
}
bool processRunning(unsigned long id) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}
#else
int createNew(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}
std::FILE* streamOn(int fd) { return ::fdopen(fd, "wb"); }
void closeDescriptor(int fd) { ::close(fd); }
bool sync(std::FILE* f) { return ::fsync(::fileno(f)) == 0; }
unsigned long currentProcess() {
    return static_cast<unsigned long>(::getpid());
}
bool processRunning(unsigned long id) {
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}
#endif

// Every replacement writes its own temporary, FILE.PID-N.tmp (N counts this process's
// replacements), so that writers of one file at once, threads or programs, never touch each
// other's: the last rename wins with a whole file, and no writer's temporary vanishes under it.
constexpr std::string_view kTempEnd = ".tmp";
std::atomic<unsigned long> gTemporaries{0};

std::filesystem::path temporaryFor(const std::filesystem::path& file, unsigned long n) {
    std::string suffix(1, '.');
    suffix += std::to_string(currentProcess());
    suffix += '-';
    suffix += std::to_string(n);
    suffix += kTempEnd;
    std::filesystem::path temp = file;
    temp += suffix;
    return temp;
}

// The writer's process of NAME when NAME is one of FILE's temporaries (FILENAME.PID-N.tmp), or 0.
unsigned long writerOf(const std::string& name, const std::string& fileName) {
    if (name.size() <= fileName.size() + 1 + kTempEnd.size() ||
        name.rfind(fileName + ".", 0) != 0 || !name.ends_with(kTempEnd))
        return 0;
    const char* first = name.data() + fileName.size() + 1;
    const char* last = name.data() + name.size() - kTempEnd.size();
    unsigned long id = 0, n = 0;
    const auto [dash, idError] = std::from_chars(first, last, id);
    if (idError != std::errc() || dash == last || *dash != '-') return 0;
    const auto [end, nError] = std::from_chars(dash + 1, last, n);
    if (nError != std::errc() || end != last || id > static_cast<unsigned long>(INT_MAX)) return 0;
    return id;
}

// Removes by name (a link is never followed, a directory never touched) the temporaries of FILE
// that writers left when they ended before renaming them, those of processes no longer running;
// a running writer's stay. FILE.tmp is not ours to remove: the plug-in names its own temporary
// of wingleaf.set so while it changes the file.
void removeStaleTemporaries(const std::filesystem::path& file) {
    const std::string fileName = file.filename().string();
    const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : ".";
    std::error_code ec, kindError;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const unsigned long writer = writerOf(name, fileName);
        const bool gone = writer != 0 && writer != currentProcess() && !processRunning(writer);
        if (gone && !it->is_directory(kindError)) stale.push_back(it->path());
    }
    for (const auto& path : stale) std::filesystem::remove(path, ec);
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

FileReplacement::FileReplacement(std::filesystem::path file) : file_(std::move(file)) {}

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
    removeStaleTemporaries(file_);
    int fd = -1;
    // A name still taken belongs to an earlier process that had this one's number.
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp_ = temporaryFor(file_, gTemporaries++);
        fd = createNew(temp_);
        if (fd < 0 && errno != EEXIST) break;
    }
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
    std::string content, reason;
    if (!readSharedFile(from, content, reason))
        return error = "cannot read " + from.string(), false;
    return replaceFile(file, content, error);
}

}  // namespace host
