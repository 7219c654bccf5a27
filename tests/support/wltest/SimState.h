// Reading the simulated host's answers in integration tests: sim_state fields and sim_hooks counts.
#pragma once
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "wltest/HostRunner.h"

namespace wltest {

inline constexpr const char* kTickEventLine = "sim_event \"Function TAGame.Car_TA.SetVehicleInput\"";
inline constexpr const char* kTickEventName = "Function TAGame.Car_TA.SetVehicleInput";

// The numbers of the last "car0.FIELD = a, b, c" line (or "ball.FIELD = ..."); empty when absent.
inline std::vector<double> stateField(const HostResult& r, const std::string& object,
                                      const std::string& field) {
    const std::string prefix = object + "." + field + " = ";
    std::vector<double> values;
    for (const std::string& line : r.lines()) {
        if (line.rfind(prefix, 0) != 0) continue;
        values.clear();
        std::istringstream in(line.substr(prefix.size()));
        std::string word;
        while (std::getline(in, word, ',')) values.push_back(std::strtod(word.c_str(), nullptr));
    }
    return values;
}

// The callback count that the last sim_hooks answer gives for a name; 0 when it is not listed.
inline int hookCount(const std::vector<std::string>& lines, const std::string& name) {
    int count = 0;
    const std::string prefix = name + " x";
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) == 0) count = std::atoi(line.c_str() + prefix.size());
    }
    return count;
}

}  // namespace wltest
