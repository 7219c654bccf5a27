// The few file-system calls of the preset procedures, with the same outcomes on Windows and POSIX.
#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
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

// Gives `replacement`, a file about to be put in place of `target`, the permission bits `mode`
// (on Windows only the owner's write bit counts). POSIX sets them on the new file itself: the old
// one is going, and may be a link to a file that is not ours. Windows sets them on the old file
// too, whose read-only bit would refuse the replacement.
Status setReplacementMode(const std::string& replacement, const std::string& target, int mode);

// Removes a file, or a link itself (never what it points to); not a directory.
Status removeFile(const std::string& path);

// removeFile, where a name that is not there counts as removed.
Status removeIfPresent(const std::string& path);

// Puts `from` in place of `to` in one step: `to` holds either its old or its new content, never
// nothing; when the call fails both stay as they were. A link at `to` is replaced, not followed.
// The change is on the disk when the call returns: POSIX syncs the folder (syncFolderOf), the
// Windows move writes through.
Status replaceFile(const std::string& from, const std::string& to);

// Makes the names in the folder holding `path` durable (POSIX: fsync of the folder; a file system
// that cannot sync a folder counts as done). Nothing to do on Windows.
Status syncFolderOf(const std::string& path);

// True when anything, a link included, has the name `path`.
bool exists(const std::string& path);

enum class ReadResult { Ok, Missing, OpenFailed, ReadFailed };

// Reads a regular file (links followed) as bytes, at most `limit` of them; a longer file fails
// as too large. Directories, devices and pipes fail without a byte read or a wait.
ReadResult readFile(const std::string& path, std::size_t limit, std::string& content,
                    std::string& error);

// Reads at most the first `limit` bytes of a regular file, like readFile otherwise; `longer`
// tells whether the file holds more.
ReadResult readFilePrefix(const std::string& path, std::size_t limit, std::string& content,
                          bool& longer, std::string& error);

// A new file written as bytes. Every write is checked, and `finish` reports whether all of it
// reached the file (flush, sync to disk and close).
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Creates `path` as a new empty regular file of ours: a leftover of that name, a file or a
    // link, goes first (the name itself, never what a link points to), and the new file is
    // created without following links. Fails when anything else is in the way.
    Status create(const std::string& path);
    // Remembers the first failure; later writes are skipped.
    void write(std::string_view data);
    // Closes the file; the first failure of any write, the flush, the sync or the close.
    Status finish();

private:
    std::intptr_t handle_ = -1;  // a file descriptor, or a HANDLE on Windows; -1 when closed
    Status status_;
};

enum class LockResult { Locked, Busy, Failed };

// An exclusive lock on a lock file shared by every program that changes the same files (POSIX
// flock, Windows LockFileEx); released when the object goes. Threads and processes alike exclude
// each other, since each acquire opens the file anew.
class FileLock {
public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    // Opens `path`, creating it when missing (never through a link), and takes the lock, trying
    // again until `wait` has passed. Busy when another holder kept it that long; Failed with
    // `error` when the file cannot be opened or locked, or is no regular file (a directory or a
    // pipe there fails at once, without waiting for a writer).
    LockResult acquire(const std::string& path, std::chrono::milliseconds wait, std::string& error);

private:
    std::intptr_t handle_ = -1;
};

}  // namespace wlfs
