// The work a worker is handed: a flight, a HUD picture, or a preset created, read or listed.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

#include "Flight.h"

namespace flightlab {

// The plug-in declined a job and said why; `conflict` when another program's change, or a
// preset of that name, is in the way.
struct JobRefused : std::runtime_error {
    JobRefused(const std::string& why, bool conflictWith)
        : std::runtime_error(why), conflict(conflictWith) {}
    bool conflict;
};

// One piece of work for a worker.
struct Job {
    enum class Kind { Fly, Draw, CreatePreset, ReadPreset, ListPresets };
    Kind kind = Kind::Fly;
    Launch launch;
    Setup setup;
    bool keepSamples = true;
    int drawTick = 0;      // Draw: the tick to draw at
    std::string file;      // Draw: the PNG; CreatePreset: where the preset is copied
    SliderValues values;   // CreatePreset: the preset's values
    std::string content;   // ReadPreset without a preset: a preset file's text
    bool onlyNew = false;  // CreatePreset: refused when the preset exists
    std::uint32_t most = 0;  // ListPresets: at most this many names
};

// A job that flies one set-up.
inline Job flightJob(const Launch& launch, const Setup& setup, bool keepSamples = true) {
    Job job;
    job.launch = launch;
    job.setup = setup;
    job.keepSamples = keepSamples;
    return job;
}

}  // namespace flightlab
