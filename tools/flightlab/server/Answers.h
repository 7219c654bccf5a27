// The workbench's answers: the lab's types written as the page reads them (JSON), each number
// at the precision the page can show.
#pragma once
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Core.h"
#include "Engine.h"
#include "Flight.h"
#include "Launches.h"

namespace flightlab::server {

// The sliders as the plug-in registered them (ranges in the precision a user types), the bodies,
// the default launch, the request limits; GAME: whether presets can be saved.
nlohmann::json vocabularyJson(const SliderRanges& ranges, bool game);

nlohmann::json figuresJson(const Figures& f);
nlohmann::json slidersJson(const SliderValues& values);

// The answer to a fly request: each flight's set-up, figures and, with SAMPLES, its trajectory
// as columns; the ticket of the request.
std::string flyAnswer(const std::vector<Flight>& flights, bool samples, double headingDeg,
                      std::uint64_t ticket);

// A set-up and stock at every launch of GRID (flight 2k the set-up's, 2k + 1 stock's at launch k).
nlohmann::json gridAnswer(const LaunchGrid& grid, const Launch& base,
                          const std::vector<Flight>& flights);

// The rows of a verdict, with the figures named as the page names them.
nlohmann::json verdictJson(const std::vector<VerdictRow>& rows);

}  // namespace flightlab::server
