// Console texts and commands of the plug-in core.
#pragma once
#include <string_view>

// Logged first by onUnload.
inline constexpr std::string_view kUnloadLogLine = "Debug5 statement";
// Logged, after the variable's name, when a change handler fails instead of reaching the host.
inline constexpr std::string_view kHandlerFailedText = ": change handler failed: ";
