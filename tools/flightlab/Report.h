// The comparison table and the trajectory CSV of a set of flights.
#pragma once
#include <ostream>
#include <vector>

#include "Flight.h"

namespace flightlab {

// One row per flight: airtime, horizontal distance, top height, landing speed.
void writeTable(std::ostream& out, const std::vector<Flight>& flights);

// Every sample of every flight: label, tick, time, position, velocity, speed.
void writeCsv(std::ostream& out, const std::vector<Flight>& flights);

}  // namespace flightlab
