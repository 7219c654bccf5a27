// The wingleaf-flightlab program: compares how presets fly one launch.
#include <exception>
#include <iostream>

#include "Lab.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    bool help = false;
    const auto options = flightlab::parseOptions(args, error, help);
    if (!options) {
        if (help) {
            std::cout << flightlab::usage();
            return 0;
        }
        std::cerr << "wingleaf-flightlab: " << error << "\n" << flightlab::usage();
        return 2;
    }
    try {
        return flightlab::runLab(*options, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "wingleaf-flightlab: " << e.what() << "\n";
        return 1;
    }
}
