// The create and delete procedures over the preset directory and the settings file.
#include "presets/PresetProcedures.h"

#include <cstdlib>

#include "core/Messages.h"
#include "presets/FileSystem.h"
#include "presets/PresetMessages.h"
#include "presets/SettingsFile.h"

namespace {

// Permission mode of the settings file: owner reads and writes, everyone else reads. Clearing a
// read-only bit keeps the file replaceable on Windows.
int settingsFileMode() {
    return static_cast<int>(std::strtol("0644", nullptr, 8));
}

void removeQuietly(const std::string& path) {
    wlfs::removeFile(path);
}

// The settings file and a freshly truncated temporary copy, both open; false after logging why not.
bool openSettings(const PresetIo& io, std::string& content, wlfs::OutputFile& temp) {
    std::string error;
    switch (wlfs::readFile(io.paths.settings, content, error)) {
        case wlfs::ReadResult::OpenFailed:
            io.log(presetmsg::kSettingsOpenFailed);
            return false;
        case wlfs::ReadResult::ReadFailed:
            io.log(presetmsg::settingsReadFailed(error));
            return false;
        case wlfs::ReadResult::Ok:
            break;
    }
    if (!temp.open(io.paths.temp)) {
        io.log(presetmsg::kSettingsOpenFailed);
        return false;
    }
    return true;
}

// Writes the new settings to the temporary file and checks that all of it arrived. A broken
// temporary file is removed, so it can never replace the settings file.
bool writeTemp(const PresetIo& io, wlfs::OutputFile& temp, const std::string& output,
               const char* wroteMessage) {
    temp.write(output);
    const wlfs::Status written = temp.finish();
    if (!written.ok) {
        io.log(presetmsg::tempWriteFailed(written.error));
        removeQuietly(io.paths.temp);
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
        removeQuietly(io.paths.temp);
        return false;
    }
    io.log(presetmsg::kSettingsDeleted);
    return true;
}

void logAll(const PresetIo& io, const std::vector<std::string>& messages) {
    for (const std::string& message : messages) io.log(message);
}

}  // namespace

void createPreset(const PresetIo& io, std::string_view name, const SliderValues& snapshot) {
    if (!isSafePresetName(name)) {
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

    std::string content;
    wlfs::OutputFile temp;
    if (openSettings(io, content, temp)) {
        const CreateEdit edit = editForCreate(content, name);
        logAll(io, edit.messages);
        if (!edit.accepted) {
            // The refusal leaves the settings file alone; the partial copy is of no use.
            temp.finish();
            removeQuietly(io.paths.temp);
            return;
        }
        if (writeTemp(io, temp, edit.output, presetmsg::kWroteTemp)) {
            const wlfs::Status mode = wlfs::setMode(io.paths.settings, settingsFileMode());
            io.log(mode.ok ? presetmsg::kPermissionsUpdated : presetmsg::kPermissionsFailed);
            if (replaceSettings(io)) io.log(presetmsg::added(name));
        }
    }

    const std::string presetPath = presetFilePath(io.paths.directory, name);
    wlfs::OutputFile presetFile;
    if (!presetFile.open(presetPath)) {
        io.log(presetmsg::kPresetFileOpenFailed);
        return;
    }
    presetFile.write(formatPresetFile(snapshot));
    const wlfs::Status written = presetFile.finish();
    if (!written.ok) {
        io.log(presetmsg::presetFileWriteFailed(name, written.error));
        removeQuietly(presetPath);
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
    std::string content;
    wlfs::OutputFile temp;
    if (openSettings(io, content, temp)) {
        const DeleteEdit edit = editForDelete(content, name);
        logAll(io, edit.messages);
        if (!edit.found) {
            temp.finish();
            const wlfs::Status removed = wlfs::removeFile(io.paths.temp);
            io.log(removed.ok ? presetmsg::kRemovedTemp : presetmsg::kRemoveTempFailed);
            if (!edit.base) io.log(presetmsg::kNotFound);
            return;
        }
        if (writeTemp(io, temp, edit.output, presetmsg::kWroteTempDelete) && replaceSettings(io))
            io.log(presetmsg::moved(name));
    }

    if (!wlfs::removeFile(presetFilePath(io.paths.directory, name)).ok)
        io.log(presetmsg::presetFileRemoveFailed(name));
    io.execute(std::string(kRefreshSettingsCommand));
}

std::optional<std::size_t> readPresetFile(const PresetPaths& paths, std::string_view name,
                                          SliderValues& values) {
    if (!isSafePresetName(name)) return std::nullopt;
    std::string content, error;
    if (wlfs::readFile(presetFilePath(paths.directory, name), content, error) !=
        wlfs::ReadResult::Ok)
        return std::nullopt;
    return parsePresetFile(content, values);
}
