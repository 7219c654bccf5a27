// The folder the workers play in: a temporary one removed at the end, or a kept one.
#pragma once
#include <filesystem>

namespace flightlab {

class WorkFolder {
public:
    // Without KEPT, a new folder under TMPDIR when set, else the memory-backed /dev/shm when
    // there, else the system's temporary folder, removed with this object. With KEPT, that
    // folder itself, created if needed and never removed. Throws std::runtime_error when the
    // folder cannot be made.
    explicit WorkFolder(const std::filesystem::path& kept = {});
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    bool keep_;
    std::filesystem::path path_;
};

}  // namespace flightlab
