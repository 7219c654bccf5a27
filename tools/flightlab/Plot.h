// Side-view plot of flights: height over horizontal distance, one labelled line each.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "Flight.h"

namespace flightlab {

// Writes the plot as a PNG; returns "" on success, else the error.
std::string writeSideView(const std::filesystem::path& file, const std::vector<Flight>& flights,
                          const std::string& title);

}  // namespace flightlab
