// The flight lab's run: flies one launch for several set-ups and bodies, shows how and why each
// flies, designs presets toward a target flight, or serves the workbench.
#pragma once
#include <filesystem>
#include <iosfwd>

#include "Options.h"

namespace flightlab {

// The most memory a run may take; a larger one is refused before any flight.
inline constexpr std::size_t kMemoryLimitBytes = std::size_t{300} << 20;
// The samples a flight keeps for its pictures once its trajectory is written: with orientation
// and angular velocity a sample is 128 bytes, and a 1,000-step sweep must stay within the limit.
inline constexpr std::size_t kPictureSamples = 1000;

// About the most memory a comparison of FLIGHTS flights at LAUNCH on WORKERS workers takes.
std::size_t estimatedPeakBytes(const Launch& launch, std::size_t flights, int workers);

// Checks that the output folder takes files (creating it if needed) before anything flies;
// throws std::runtime_error naming the folder and the system's reason.
void checkOutputFolder(const std::filesystem::path& dir);

// Runs everything and writes the tables to out, progress and file names to err.
// Returns the program's exit status.
int runLab(const LabOptions& options, std::ostream& out, std::ostream& err);

}  // namespace flightlab
