// The create and delete procedures over the preset directory and the settings file.
#include "presets/PresetProcedures.h"

#include <cstdlib>

#include "presets/FileSystem.h"
#include "presets/PresetMessages.h"
#include "presets/SettingsWindowFile.h"

namespace {

// A settings file is a few KiB; one far beyond that is not ours to rewrite.
constexpr std::size_t kSettingsReadLimit = std::size_t{4} << 20;
// Fourteen numbers in any sane spelling fit many times over.
constexpr std::size_t kPresetReadLimit = 4096;

// Permission mode of the settings file: owner reads and writes, everyone else reads. Clearing a
// read-only bit keeps the file replaceable on Windows.
int settingsFileMode() {
    return static_cast<int>(std::strtol("0644", nullptr, 8));
}

// Removes a temporary file after a failure. One that stays is named, for the user to remove.
void removeLeftover(const PresetIo& io, const std::string& path) {
    const wlfs::Status removed = wlfs::removeIfPresent(path);
    if (!removed.ok) io.log(presetmsg::leftoverNotRemoved(path, removed.error));
}

enum class SettingsOpen { Opened, Missing, Failed };

// The settings file read whole and a new temporary file for its copy; otherwise logs why not.
SettingsOpen openSettings(const PresetIo& io, std::string& content, wlfs::OutputFile& temp) {
    std::string error;
    switch (wlfs::readFile(io.paths.settings, kSettingsReadLimit, content, error)) {
        case wlfs::ReadResult::Missing:
            io.log(presetmsg::kSettingsOpenFailed);
            return SettingsOpen::Missing;
        case wlfs::ReadResult::OpenFailed:
            io.log(presetmsg::kSettingsOpenFailed);
            return SettingsOpen::Failed;
        case wlfs::ReadResult::ReadFailed:
            io.log(presetmsg::settingsReadFailed(error));
            return SettingsOpen::Failed;
        case wlfs::ReadResult::Ok:
            break;
    }
    const wlfs::Status created = temp.create(io.paths.temp);
    if (!created.ok) {
        io.log(presetmsg::tempCreateFailed(io.paths.temp, created.error));
        return SettingsOpen::Failed;
    }
    return SettingsOpen::Opened;
}

// Writes the new settings to the temporary file and checks that all of it arrived. A broken
// temporary file is removed, so it can never replace the settings file.
bool writeTemp(const PresetIo& io, wlfs::OutputFile& temp, const std::string& output,
               const char* wroteMessage) {
    temp.write(output);
    const wlfs::Status written = temp.finish();
    if (!written.ok) {
        io.log(presetmsg::tempWriteFailed(written.error));
        removeLeftover(io, io.paths.temp);
        return false;
    }
    io.log(wroteMessage);
    return true;
}

// Puts the temporary file in place of the settings file; on failure the old file stays.
bool replaceSettings(const PresetIo& io) {
    const wlfs::Status moved = wlfs::replaceFile(io.paths.temp, io.paths.settings);
    if (!moved.ok) {
        io.log(presetmsg::renameFailed(moved.error));
        removeLeftover(io, io.paths.temp);
        return false;
    }
    io.log(presetmsg::kSettingsDeleted);
    return true;
}

// Writes the preset file the way the settings file is written: a new temporary file, put in
// place of the old preset file only when all of it arrived. Logs only failures.
bool writePresetFile(const PresetIo& io, std::string_view name, const SliderValues& snapshot) {
    wlfs::OutputFile file;
    if (!file.create(io.paths.presetTemp).ok) {
        io.log(presetmsg::kPresetFileOpenFailed);
        return false;
    }
    file.write(formatPresetFile(snapshot));
    const wlfs::Status written = file.finish();
    if (!written.ok) {
        io.log(presetmsg::presetFileWriteFailed(name, written.error));
        removeLeftover(io, io.paths.presetTemp);
        return false;
    }
    if (!wlfs::replaceFile(io.paths.presetTemp, presetFilePath(io.paths.directory, name)).ok) {
        io.log(presetmsg::kPresetFileOpenFailed);
        removeLeftover(io, io.paths.presetTemp);
        return false;
    }
    return true;
}

// The preset file written and reported, and the settings window told.
void storeUnlisted(const PresetIo& io, std::string_view name, const SliderValues& snapshot) {
    if (!writePresetFile(io, name, snapshot)) return;
    io.log(presetmsg::wrotePresetFile(name));
    io.execute(std::string(kRefreshSettingsCommand));
}

// Drops the temporary settings file of a change that will not happen.
void discardTemp(const PresetIo& io, wlfs::OutputFile& temp) {
    temp.finish();
    removeLeftover(io, io.paths.temp);
}

enum class LockWait { Bounded, None };

// Takes the presets' lock for one change. Logs why not when `wait` is bounded; a change that does
// not wait (the clean-up at load) leaves the files to the program that holds the lock.
bool lockPresets(const PresetIo& io, wlfs::FileLock& lock, LockWait wait) {
    const std::string path = presetLockPath(io.paths.directory);
    const std::chrono::milliseconds patience =
        wait == LockWait::Bounded ? io.lockWait : std::chrono::milliseconds{0};
    std::string error;
    wlfs::LockResult result = lock.acquire(path, patience, error);
    // Only creation makes the preset folder; the lock file lives there all the same.
    if (result == wlfs::LockResult::Failed &&
        wlfs::makeDirectory(io.paths.directory) == wlfs::DirectoryResult::Created)
        result = lock.acquire(path, patience, error);
    if (result == wlfs::LockResult::Locked) return true;
    if (wait == LockWait::Bounded)
        io.log(result == wlfs::LockResult::Busy ? presetmsg::lockBusy(path)
                                                : presetmsg::lockFailed(path, error));
    return false;
}

// The file of a name no entry lists, as a crash between writing a new preset's file and listing
// it leaves one, goes with the name; without a file selection could read (none, or a folder),
// the name was mistyped.
void removeUnlisted(const PresetIo& io, std::string_view name) {
    SliderValues unused;
    if (!readPresetFile(io.paths, name, unused))
        io.log(presetmsg::kNotFound);
    else if (wlfs::removeFile(presetFilePath(io.paths.directory, name)).ok)
        io.log(presetmsg::unlistedRemoved(name));
    else
        io.log(presetmsg::presetFileRemoveFailed(name));
}

void logAll(const PresetIo& io, const std::vector<std::string>& messages) {
    for (const std::string& message : messages) io.log(message);
}

}  // namespace

void createPreset(const PresetIo& io, std::string_view name, const SliderValues& snapshot) {
    if (!isNewPresetName(name)) {
        io.log(presetmsg::kUnsafeName);
        return;
    }
    switch (wlfs::makeDirectory(io.paths.directory)) {
        case wlfs::DirectoryResult::Created:
            io.log(presetmsg::kCreatedDirectory);
            break;
        case wlfs::DirectoryResult::AlreadyExists:
            io.log(presetmsg::kDirectoryExists);
            break;
        case wlfs::DirectoryResult::Failed:
            break;  // the file steps below report what fails
    }
    wlfs::FileLock lock;
    if (!lockPresets(io, lock, LockWait::Bounded)) return;

    std::string content;
    wlfs::OutputFile temp;
    if (openSettings(io, content, temp) != SettingsOpen::Opened) {
        // Nothing will list the name: its file alone is harmless.
        storeUnlisted(io, name, snapshot);
        return;
    }
    const CreateEdit edit = editForCreate(content, name);
    logAll(io, edit.messages);
    if (!edit.accepted) {
        // The refusal leaves the settings file alone; the partial copy is of no use.
        discardTemp(io, temp);
        return;
    }

    // The values go first and the name after them, so that whenever the settings file lists a
    // preset, a crash included, its complete file is there.
    const std::string presetPath = presetFilePath(io.paths.directory, name);
    const bool presetExisted = wlfs::exists(presetPath);
    if (!writePresetFile(io, name, snapshot)) {
        discardTemp(io, temp);
        return;
    }
    bool listed = false;
    if (writeTemp(io, temp, edit.output, presetmsg::kWroteTemp)) {
        const wlfs::Status mode =
            wlfs::setReplacementMode(io.paths.temp, io.paths.settings, settingsFileMode());
        io.log(mode.ok ? presetmsg::kPermissionsUpdated : presetmsg::kPermissionsFailed);
        listed = replaceSettings(io);
        // A name every preset line listed already was overwritten, not added.
        if (listed && (edit.appended || !edit.listed)) io.log(presetmsg::added(name));
    }
    // A new file that no entry lists goes again; an old one keeps the new values, as any
    // overwrite would.
    if (!listed && !presetExisted) {
        if (!wlfs::removeFile(presetPath).ok) io.log(presetmsg::presetFileRemoveFailed(name));
        return;
    }
    io.log(presetmsg::wrotePresetFile(name));
    io.execute(std::string(kRefreshSettingsCommand));
}

void deletePreset(const PresetIo& io, std::string_view name) {
    if (!isSafePresetName(name)) {
        io.log(presetmsg::kUnsafeName);
        return;
    }
    wlfs::FileLock lock;
    if (!lockPresets(io, lock, LockWait::Bounded)) return;
    std::string content;
    wlfs::OutputFile temp;
    const SettingsOpen opened = openSettings(io, content, temp);
    // Without a settings file nothing lists the preset any more.
    bool unlisted = opened == SettingsOpen::Missing;
    if (opened == SettingsOpen::Opened) {
        const DeleteEdit edit = editForDelete(content, name);
        logAll(io, edit.messages);
        if (!edit.found) {
            temp.finish();
            const wlfs::Status removed = wlfs::removeFile(io.paths.temp);
            io.log(removed.ok ? presetmsg::kRemovedTemp : presetmsg::kRemoveTempFailed);
            if (!edit.base) removeUnlisted(io, name);
            return;
        }
        unlisted =
            writeTemp(io, temp, edit.output, presetmsg::kWroteTempDelete) && replaceSettings(io);
        if (unlisted) io.log(presetmsg::moved(name));
    }

    // An entry whose file is gone would offer a preset without values: the file goes only
    // after its entry.
    if (!unlisted)
        io.log(presetmsg::presetKept(name));
    else if (!wlfs::removeFile(presetFilePath(io.paths.directory, name)).ok)
        io.log(presetmsg::presetFileRemoveFailed(name));
    io.execute(std::string(kRefreshSettingsCommand));
}

void removeLeftovers(const PresetIo& io) {
    const std::string* const leftovers[] = {&io.paths.temp, &io.paths.oldTemp,
                                            &io.paths.presetTemp};
    bool any = false;
    for (const std::string* path : leftovers) any = any || wlfs::exists(*path);
    if (!any) return;
    wlfs::FileLock lock;
    if (!lockPresets(io, lock, LockWait::None)) return;
    for (const std::string* path : leftovers) removeLeftover(io, *path);
}

std::string presetLockPath(std::string_view directory) {
    std::string path(directory);
    path += "/wingleaf.lock";
    return path;
}

std::optional<std::size_t> readPresetFile(const PresetPaths& paths, std::string_view name,
                                          SliderValues& values) {
    if (!isSafePresetName(name)) return std::nullopt;
    std::string content, error;
    bool longer = false;
    if (wlfs::readFilePrefix(presetFilePath(paths.directory, name), kPresetReadLimit, content,
                             longer, error) != wlfs::ReadResult::Ok)
        return std::nullopt;
    // A number cut off by the end of the prefix is not read as a shorter one.
    if (longer) {
        const std::size_t cut = content.find_last_of(" \t\n\v\f\r");
        content.resize(cut == std::string::npos ? 0 : cut);
    }
    return parsePresetFile(content, values);
}
