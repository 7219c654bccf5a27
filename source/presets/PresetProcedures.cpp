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

// Removes a temporary file after a failure. One that stays is named: the host would show a stray
// tmp.set as a settings window of its own.
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
    if (!temp.create(io.paths.temp).ok) {
        io.log(presetmsg::kSettingsOpenFailed);
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
// place of the old preset file only when all of it arrived.
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
    io.log(presetmsg::wrotePresetFile(name));
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
    if (openSettings(io, content, temp) == SettingsOpen::Opened) {
        const CreateEdit edit = editForCreate(content, name);
        logAll(io, edit.messages);
        if (!edit.accepted) {
            // The refusal leaves the settings file alone; the partial copy is of no use.
            temp.finish();
            removeLeftover(io, io.paths.temp);
            return;
        }
        if (writeTemp(io, temp, edit.output, presetmsg::kWroteTemp)) {
            const wlfs::Status mode =
                wlfs::setReplacementMode(io.paths.temp, io.paths.settings, settingsFileMode());
            io.log(mode.ok ? presetmsg::kPermissionsUpdated : presetmsg::kPermissionsFailed);
            if (replaceSettings(io)) io.log(presetmsg::added(name));
        }
    }

    if (writePresetFile(io, name, snapshot)) io.execute(std::string(kRefreshSettingsCommand));
}

void deletePreset(const PresetIo& io, std::string_view name) {
    if (!isSafePresetName(name)) {
        io.log(presetmsg::kUnsafeName);
        return;
    }
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
            if (!edit.base) io.log(presetmsg::kNotFound);
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
