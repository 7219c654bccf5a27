// wingleaf-flightlab --serve: the workbench on the lab's engine until Ctrl-C.
#pragma once
#include <filesystem>
#include <iosfwd>
#include <string>

#include "Options.h"

namespace flightlab {

// Starts the workers in WORK, serves the page and its API and prints the address to OUT;
// returns the exit status once SIGINT or SIGTERM ends it.
int runServe(const LabOptions& options, const std::filesystem::path& work, std::ostream& out,
             std::ostream& err);

// What the lab says before serving on ADDRESS: nothing for a loopback address; for an address
// others reach, that they can use the page; for a wildcard address (0.0.0.0, ::), that the
// page answers only requests addressed to this machine's loopback names, since it checks that a
// request names the address listened on.
std::string listenNote(const std::string& address);

}  // namespace flightlab
