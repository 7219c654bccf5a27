// Mode names and the start and end events of each mode.
#include "GameEvents.h"

#include <array>

namespace host {

namespace {

constexpr std::array<std::string_view, 5> kModeNames = {"menu", "freeplay", "training",
                                                        "exhibition", "online"};

constexpr std::array<std::string_view, 2> kFreeplayStart = {events::kInitGameEvent,
                                                            events::kFreeplayInit};
constexpr std::array<std::string_view, 1> kTrainingStart = {events::kTrainingStart};
constexpr std::array<std::string_view, 1> kExhibitionStart = {events::kInitGameEvent};

constexpr std::array<std::string_view, 2> kSoccarEnd = {events::kSoccarDestroyed,
                                                        events::kMainEventDestroyed};
constexpr std::array<std::string_view, 1> kTrainingEnd = {events::kTrainingDestroyed};
constexpr std::array<std::string_view, 1> kOnlineEnd = {events::kSoccarDestroyed};

}  // namespace

std::string_view modeName(Mode mode) { return kModeNames[static_cast<std::size_t>(mode)]; }

std::optional<Mode> parseMode(std::string_view name) {
    for (std::size_t i = 0; i < kModeNames.size(); ++i)
        if (kModeNames[i] == name) return static_cast<Mode>(i);
    return std::nullopt;
}

std::span<const std::string_view> startEvents(Mode mode) {
    switch (mode) {
        case Mode::Freeplay: return kFreeplayStart;
        case Mode::Training: return kTrainingStart;
        case Mode::Exhibition: return kExhibitionStart;
        case Mode::Menu:
        case Mode::Online: break;
    }
    return {};
}

std::span<const std::string_view> endEvents(Mode mode) {
    switch (mode) {
        case Mode::Freeplay:
        case Mode::Exhibition: return kSoccarEnd;
        case Mode::Training: return kTrainingEnd;
        case Mode::Online: return kOnlineEnd;
        case Mode::Menu: break;
    }
    return {};
}

}  // namespace host
