// Every console line of the preset procedures, in one place.
#pragma once
#include <string>
#include <string_view>

namespace presetmsg {

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
inline std::string added(std::string_view name) {
    return "Preset " + std::string(name) + " added to wingleaf.set!";
}
inline std::string wrotePresetFile(std::string_view name) {
    return "Wrote to " + std::string(name) + ".txt";
}
inline std::string presetFileWriteFailed(std::string_view name, std::string_view error) {
    return "Error writing preset file " + std::string(name) + ".txt: " + std::string(error);
}

// Deletion.
inline constexpr const char* kCannotRemoveBase = "Cannot remove base preset!";
inline constexpr const char* kRemovedTemp = "Removed tmp.set";
inline constexpr const char* kRemoveTempFailed = "Error removing tmp.set";
inline constexpr const char* kNotFound = "Preset not found. Check your preset name!";
inline constexpr const char* kWroteTempDelete = "Wrote to tmp.set...";
inline std::string removing(std::string_view name) {
    return "Removing " + std::string(name) + " from wingleaf.set!";
}
inline std::string moved(std::string_view name) {
    return "Moved tmp.set into wingleaf.set! Preset " + std::string(name) + " removed!";
}
inline std::string presetFileRemoveFailed(std::string_view name) {
    return "Failed to remove file: wingleaf/" + std::string(name) + ".txt";
}
inline std::string presetKept(std::string_view name) {
    return "Preset " + std::string(name) + " was not removed: wingleaf.set could not be changed.";
}

// Both.
inline constexpr const char* kSettingsOpenFailed =
    "Error opening wingleaf.set files. Close wingleaf.set if open in an editor.";
inline constexpr const char* kSettingsDeleted = "wingleaf.set successfully deleted";
inline constexpr const char* kUnsafeName =
    "Invalid preset name. A name must not be empty, longer than 100 bytes or a device name such "
    "as CON, and must not contain control characters, \"..\" or any of / \\ : & @ | < > \" ? *";
inline std::string settingsReadFailed(std::string_view error) {
    return "Error reading wingleaf.set: " + std::string(error) + ". wingleaf.set was not changed.";
}
inline std::string tempWriteFailed(std::string_view error) {
    return "Error writing tmp.set: " + std::string(error) + ". wingleaf.set was not changed.";
}
// A temporary file left behind after a failure, named by its path.
inline std::string leftoverNotRemoved(std::string_view path, std::string_view error) {
    return "Error removing " + std::string(path) + ": " + std::string(error) +
           ". Delete it by hand.";
}
inline std::string renameFailed(std::string_view error) {
    return "Failed to rename tmp.set to wingleaf.set: " + std::string(error);
}

}  // namespace presetmsg
