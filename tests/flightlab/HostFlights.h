// The lab's flights flown the slow way, one wingleaf-host process per flight with its state read
// back from the printed lines: the cross-check of the in-process engine.
#pragma once
#include <filesystem>
#include <string>

#include "Flight.h"

namespace flightlab::hostpath {

// The whole script for wingleaf-host: set-up, then one state read per tick up to the time
// limit, optionally ending with a canvas drawing at one tick.
std::string flightScript(const Launch& launch, const Setup& setup, int drawAtTick = -1,
                         const std::string& drawFile = "");

// Reads "car0.FIELD = ..." lines of the host's state reads into samples.
std::vector<Sample> parseSamples(const std::string& hostOutput);

// Reads the "wl_SLIDER = VALUE" lines of the script's slider reads.
SliderValues parseSliders(const std::string& hostOutput);

// Flies one set-up in its own wingleaf-host process in a fresh game folder ROOT, user presets
// read from PRESET_DIR; throws std::runtime_error when the host fails.
Flight flyInHost(const Launch& launch, const Setup& setup, const std::filesystem::path& root,
                 const std::filesystem::path& presetDir = {});

}  // namespace flightlab::hostpath
