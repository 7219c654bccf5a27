// Mode names and the start and end events of each mode.
#include "GameEvents.h"

#include <array>

namespace host {

namespace {

constexpr std::string_view kInitGameEvent = "Function TAGame.GameInfo_Soccar_TA.InitGameEvent";
constexpr std::string_view kSoccarDestroyed = "Function TAGame.GameEvent_Soccar_TA.Destroyed";

constexpr std::array<std::string_view, 2> kFreeplayStart = {
    kInitGameEvent, "Function TAGame.Mutator_Freeplay_TA.Init"};
constexpr std::array<std::string_view, 1> kTrainingStart = {
    "Function TAGame.GameEvent_TrainingEditor_TA.StartPlayTest"};
constexpr std::array<std::string_view, 1> kExhibitionStart = {kInitGameEvent};

constexpr std::array<std::string_view, 2> kSoccarEnd = {
    kSoccarDestroyed, "Function TAGame.GameInfo_Soccar_TA.HandleMainEventDestroyed"};
constexpr std::array<std::string_view, 1> kTrainingEnd = {
    "Function TAGame.GameEvent_TrainingEditor_TA.Destroyed"};
constexpr std::array<std::string_view, 1> kOnlineEnd = {kSoccarDestroyed};

// A mode's name and the events of entering and leaving it.
struct ModeRow {
    std::string_view name;
    std::span<const std::string_view> start, end;
};

// In the order of Mode.
constexpr ModeRow kModes[] = {
    {"menu", {}, {}},
    {"freeplay", kFreeplayStart, kSoccarEnd},
    {"training", kTrainingStart, kTrainingEnd},
    {"exhibition", kExhibitionStart, kSoccarEnd},
    {"online", {}, kOnlineEnd},
};

const ModeRow& rowOf(Mode mode) { return kModes[static_cast<std::size_t>(mode)]; }

}  // namespace

std::string_view modeName(Mode mode) { return rowOf(mode).name; }

std::optional<Mode> parseMode(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kModes); ++i)
        if (kModes[i].name == name) return static_cast<Mode>(i);
    return std::nullopt;
}

std::span<const std::string_view> startEvents(Mode mode) { return rowOf(mode).start; }

std::span<const std::string_view> endEvents(Mode mode) { return rowOf(mode).end; }

}  // namespace host
