// The few file-system calls of the preset procedures, with the same outcomes on Windows and POSIX.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace wlfs {

// The outcome of one call; `error` is the system's message when it failed.
struct Status {
    bool ok = true;
    std::string error;
};

enum class DirectoryResult { Created, AlreadyExists, Failed };

// Creates one directory (not its parents). AlreadyExists also when a file has that name.
DirectoryResult makeDirectory(const std::string& path);

// Sets the permission bits of a file (on Windows only the owner's write bit counts).
Status setMode(const std::string& path, int mode);

Status removeFile(const std::string& path);

// Puts `from` in place of `to` in one step: `to` holds either its old or its new content, never
// nothing; when the call fails both stay as they were. The data reaches the disk before it returns.
Status replaceFile(const std::string& from, const std::string& to);

enum class ReadResult { Ok, OpenFailed, ReadFailed };

// Reads a whole file as bytes.
ReadResult readFile(const std::string& path, std::string& content, std::string& error);

// A file written as bytes, created or truncated on open. Every write is checked, and `finish`
// reports whether all of it reached the file (flush, sync to disk and close).
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // Remembers the first failure; later writes are skipped.
    void write(std::string_view data);
    // Closes the file; the first failure of any write, the flush, the sync or the close.
    Status finish();

private:
    std::FILE* file_ = nullptr;
    Status status_;
};

}  // namespace wlfs
