// Replacing a file as a whole, for the host and the tools: the old content stays until the new
// one is complete, and a link at either name is never followed.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>

namespace host {

// Creates TEMP as a new file of ours and opens it for writing: a leftover file or link of that
// name is removed first (a link is never followed). The descriptor, or -1 with errno set.
int createFreshFile(const std::filesystem::path& temp);

// A file being replaced: written through a stream on a fresh temporary beside it, then put in
// place whole by commit(). Until then, and whenever a step fails, FILE is as it was; a temporary
// not committed is removed. Each replacement has a temporary of its own (FILE.PID-N.tmp), so that
// several writers of one file at once each succeed and the last one's content stands whole;
// open() first removes the temporaries of FILE that writers no longer running left behind.
class FileReplacement {
public:
    explicit FileReplacement(std::filesystem::path file);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary. False, with error() set, when it cannot be created.
    bool open();
    // The temporary's stream, null before open() succeeds and after commit().
    std::FILE* stream() const { return out_; }
    // Writes to the stream, keeping the system's reason when a write fails, so that commit()
    // can name it (a failed write is otherwise reported only as an input/output error).
    bool write(const char* data, std::size_t size);
    // Flushes and syncs the temporary and renames it over the file. False, with error() set,
    // when a write failed or any step fails.
    bool commit();
    // What went wrong, naming the file and the system's reason.
    const std::string& error() const { return error_; }

private:
    void fail(const std::string& what, int errorNumber);
    void discard();
    std::filesystem::path file_, temp_;
    std::FILE* out_ = nullptr;
    int writeErrno_ = 0;
    std::string error_;
};

// Writes CONTENT to FILE through a FileReplacement. False, with ERROR set, when any step
// fails; FILE is then as it was and the temporary is gone.
bool replaceFile(const std::filesystem::path& file, const std::string& content, std::string& error);

// Copies FROM over FILE the same way.
bool copyReplacing(const std::filesystem::path& from, const std::filesystem::path& file, std::string& error);

}  // namespace host
