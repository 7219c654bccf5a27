// Every console line of the preset procedures, in one place.
#pragma once
#include <string>
#include <string_view>

// Makes the host rebuild its plug-in settings windows from the settings files.
inline constexpr std::string_view kRefreshSettingsCommand = "cl_settings_refreshplugins";

namespace presetmsg {

// A line made of fixed text around one value.
struct Around {
    std::string_view before;
    std::string_view after;

    std::string operator()(std::string_view value) const {
        std::string line(before);
        line += value;
        line += after;
        return line;
    }
};

// Creation.
inline constexpr const char* kCreatedDirectory = "Created wingleaf directory.";
inline constexpr const char* kDirectoryExists =
    "Directory wingleaf already exists. Attemtping to create preset...";
inline constexpr const char* kNameExists = "Preset name already exists! Overwriting slider values!";
inline constexpr const char* kCannotOverwriteBase =
    "Cannot overwrite base preset. Choose a different name.";
inline constexpr const char* kWroteTemp = "Wrote to tmp.set";
inline constexpr const char* kPermissionsFailed = "Unable to modify wingleaf.set permissions";
inline constexpr const char* kPermissionsUpdated = "Updated wingleaf.set permissions.";
inline constexpr const char* kPresetFileOpenFailed =
    "Error opening preset file. Close preset.txt if open in an editor.";
inline constexpr Around added{"Preset ", " added to wingleaf.set!"};
inline constexpr Around wrotePresetFile{"Wrote to ", ".txt"};
inline std::string presetFileWriteFailed(std::string_view name, std::string_view error) {
    return "Error writing preset file " + std::string(name) + ".txt: " + std::string(error);
}

// Deletion.
inline constexpr const char* kCannotRemoveBase = "Cannot remove base preset!";
inline constexpr const char* kRemovedTemp = "Removed tmp.set";
inline constexpr const char* kRemoveTempFailed = "Error removing tmp.set";
inline constexpr const char* kNotFound = "Preset not found. Check your preset name!";
inline constexpr const char* kWroteTempDelete = "Wrote to tmp.set...";
inline constexpr Around removing{"Removing ", " from wingleaf.set!"};
inline constexpr Around moved{"Moved tmp.set into wingleaf.set! Preset ", " removed!"};
inline constexpr Around presetFileRemoveFailed{"Failed to remove file: wingleaf/", ".txt"};
// A preset file that no entry listed was removed.
inline std::string unlistedRemoved(std::string_view name) {
    return "Preset " + std::string(name) +
           " was not in wingleaf.set; removed its leftover file wingleaf/" + std::string(name) +
           ".txt";
}
inline constexpr Around presetKept{"Preset ",
                                   " was not removed: wingleaf.set could not be changed."};

// Both.
inline constexpr const char* kSettingsOpenFailed =
    "Error opening wingleaf.set files. Close wingleaf.set if open in an editor.";
inline constexpr const char* kSettingsDeleted = "wingleaf.set successfully deleted";
inline constexpr const char* kUnsafeName =
    "Invalid preset name. A name must not be empty, longer than 100 bytes, a number such as 3 or "
    "inf, or a device name such as CON, and must not contain control characters, \"..\" or any "
    "of / \\ : & @ | < > \" ? *";
inline constexpr Around settingsReadFailed{"Error reading wingleaf.set: ",
                                           ". wingleaf.set was not changed."};
inline constexpr Around tempWriteFailed{"Error writing wingleaf.set.tmp: ",
                                        ". wingleaf.set was not changed."};
// A temporary file left behind after a failure, named by its path.
inline std::string leftoverNotRemoved(std::string_view path, std::string_view error) {
    return "Error removing " + std::string(path) + ": " + std::string(error) +
           ". Delete it by hand.";
}
inline constexpr Around renameFailed{"Failed to rename tmp.set to wingleaf.set: ", ""};
// The temporary settings file could not be made: the file in the way and the system's reason.
inline std::string tempCreateFailed(std::string_view path, std::string_view error) {
    return "Error creating " + std::string(path) + ": " + std::string(error) +
           ". wingleaf.set was not changed.";
}
// Another program kept the presets' lock file for the whole wait.
inline std::string lockBusy(std::string_view path) {
    return "Another program is changing the presets (" + std::string(path) +
           " stayed locked). Nothing was changed; try again.";
}
inline std::string lockFailed(std::string_view path, std::string_view error) {
    return "Error locking " + std::string(path) + ": " + std::string(error) +
           ". Nothing was changed.";
}

}  // namespace presetmsg
