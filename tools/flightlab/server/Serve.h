// wingleaf-flightlab --serve: the workbench on the lab's engine until Ctrl-C.
#pragma once
#include <filesystem>
#include <iosfwd>

#include "Options.h"

namespace flightlab {

// Starts the workers in WORK, serves the page and its API and prints the address to OUT;
// returns the exit status once SIGINT or SIGTERM ends it.
int runServe(const LabOptions& options, const std::filesystem::path& work, std::ostream& out,
             std::ostream& err);

}  // namespace flightlab
