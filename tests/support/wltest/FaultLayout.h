// The installation both fault matrices start from (the Linux one and the one under Wine), and
// the console lines they share.
#pragma once
#include <string>
#include <vector>

namespace wltest::faults {

// Paths below the root.
inline const std::string kSet = "bakkesmod/plugins/settings/wingleaf.set";
inline const std::string kTmp = "bakkesmod/plugins/settings/wingleaf.set.tmp";
inline const std::string kOld = "bakkesmod/wingleaf/Old.txt";
inline const std::string kNew = "bakkesmod/wingleaf/New.txt";
inline const std::string kPresetTmp = "bakkesmod/wingleaf/preset.tmp";
inline const std::string kLock = "bakkesmod/wingleaf/wingleaf.lock";
inline const std::string kOutside = "outside.txt";

// The settings file listing Old, with New added, with Old removed; Old's preset file.
inline const std::string kListed = "Wingleaf\r\n6|Preset|wl_preset|A@0&Glide@1&Old@Old\r\n";
inline const std::string kWithNew =
    "Wingleaf\r\n6|Preset|wl_preset|A@0&Glide@1&Old@Old&New@New\r\n";
inline const std::string kWithoutOld = "Wingleaf\r\n6|Preset|wl_preset|A@0&Glide@1\r\n";
inline const std::string kOldValues = "9.000 8.000 7.000 ";

inline const std::string kExists =
    "Directory wingleaf already exists. Attemtping to create preset...";
inline const std::string kOpenFailed =
    "Error opening wingleaf.set files. Close wingleaf.set if open in an editor.";
inline const std::string kPresetOpenFailed =
    "Error opening preset file. Close preset.txt if open in an editor.";
inline const std::string kOldKept =
    "Preset Old was not removed: wingleaf.set could not be changed.";

// What creating New, overwriting Old and deleting Old log when nothing goes wrong.
inline const std::vector<std::string> kCreatedLines{kExists,
                                                    "Wrote to tmp.set",
                                                    "Updated wingleaf.set permissions.",
                                                    "wingleaf.set successfully deleted",
                                                    "Preset New added to wingleaf.set!",
                                                    "Wrote to New.txt"};
inline const std::vector<std::string> kOverwrittenLines{
    kExists,
    "Preset name already exists! Overwriting slider values!",
    "Wrote to tmp.set",
    "Updated wingleaf.set permissions.",
    "wingleaf.set successfully deleted",
    "Wrote to Old.txt"};
inline const std::vector<std::string> kDeletedLines{
    "Removing Old from wingleaf.set!", "Wrote to tmp.set...", "wingleaf.set successfully deleted",
    "Moved tmp.set into wingleaf.set! Preset Old removed!"};

}  // namespace wltest::faults
