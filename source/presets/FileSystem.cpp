// Windows and POSIX branches of the preset procedures' file-system calls.
#include "presets/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace wlfs {

namespace {

Status errnoStatus(int error) {
    return Status{false, std::strerror(error)};
}

#ifdef _WIN32
// The system's message for a Win32 error code, without its trailing line end.
Status lastErrorStatus() {
    const DWORD code = GetLastError();
    char buffer[512] = {};
    const DWORD size = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, size);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.empty()) text = "Windows error " + std::to_string(code);
    return Status{false, text};
}
#endif

}  // namespace

#ifdef _WIN32

DirectoryResult makeDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return DirectoryResult::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? DirectoryResult::AlreadyExists
                                                  : DirectoryResult::Failed;
}

Status setMode(const std::string& path, int mode) {
    int flags = 0;
    if (mode & 0400) flags |= _S_IREAD;
    if (mode & 0200) flags |= _S_IWRITE;
    if (_chmod(path.c_str(), flags) != 0) return errnoStatus(errno);
    return {};
}

Status replaceFile(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastErrorStatus();
    return {};
}

namespace {
int syncFile(std::FILE* file) {
    return _commit(_fileno(file));
}
}  // namespace

Status removeFile(const std::string& path) {
    if (std::remove(path.c_str()) != 0) return errnoStatus(errno);
    return {};
}

#else

DirectoryResult makeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) return DirectoryResult::Created;
    return errno == EEXIST ? DirectoryResult::AlreadyExists : DirectoryResult::Failed;
}

Status setMode(const std::string& path, int mode) {
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) return errnoStatus(errno);
    return {};
}

Status replaceFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) return errnoStatus(errno);
    return {};
}

namespace {
int syncFile(std::FILE* file) {
    if (::fsync(::fileno(file)) == 0) return 0;
    // Devices and pipes cannot be synced; what was written has been handed over all the same.
    return (errno == EINVAL || errno == EROFS) ? 0 : -1;
}
}  // namespace

// Files only: POSIX remove would also take an empty directory, which Windows' remove refuses.
Status removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return errnoStatus(errno);
    return {};
}

#endif

ReadResult readFile(const std::string& path, std::string& content, std::string& error) {
    content.clear();
    // POSIX opens a directory and then fails to read it, Windows fails to open it: one outcome.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = std::strerror(EISDIR);
        return ReadResult::ReadFailed;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return ReadResult::OpenFailed;
    }
    char buffer[8192];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (failed) {
        error = std::strerror(readError);
        return ReadResult::ReadFailed;
    }
    return ReadResult::Ok;
}

OutputFile::~OutputFile() {
    if (file_) std::fclose(file_);
}

bool OutputFile::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    status_ = {};
    return file_ != nullptr;
}

void OutputFile::write(std::string_view data) {
    if (!file_ || !status_.ok || data.empty()) return;
    if (std::fwrite(data.data(), 1, data.size(), file_) != data.size())
        status_ = errnoStatus(errno);
}

Status OutputFile::finish() {
    if (!file_) return Status{false, "file not open"};
    if (status_.ok && std::fflush(file_) != 0) status_ = errnoStatus(errno);
    if (status_.ok && syncFile(file_) != 0) status_ = errnoStatus(errno);
    if (std::fclose(file_) != 0 && status_.ok) status_ = errnoStatus(errno);
    file_ = nullptr;
    return status_;
}

}  // namespace wlfs
