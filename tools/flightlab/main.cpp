// The wingleaf-flightlab program: compares how presets fly one launch, and designs presets.
#include <unistd.h>

#include <exception>
#include <iostream>

#include "Interrupt.h"
#include "Lab.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string message;
    bool informational = false;
    auto options = flightlab::parseOptions(args, message, informational);
    if (!options) {
        if (informational) {
            std::cout << message;
            return 0;
        }
        std::cerr << "wingleaf-flightlab: " << message << "\n"
                  << "(wingleaf-flightlab --help lists the options)\n";
        return 2;
    }
    options->progressBar = ::isatty(STDERR_FILENO) != 0;
    flightlab::installStopHandlers();
    try {
        return flightlab::runLab(*options, std::cout, std::cerr);
    } catch (const flightlab::UsageError& e) {
        std::cerr << "wingleaf-flightlab: " << e.what() << "\n"
                  << "(wingleaf-flightlab --help lists the options)\n";
        return 2;
    } catch (const flightlab::Interrupted& stop) {
        std::cerr << "\nwingleaf-flightlab: interrupted\n";
        return 128 + stop.signal;
    } catch (const std::exception& e) {
        std::cerr << "wingleaf-flightlab: " << e.what() << "\n";
        return 1;
    }
}
