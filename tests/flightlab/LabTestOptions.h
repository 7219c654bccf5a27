// The lab's default options for a test, writing into a fresh folder of that test's own.
#pragma once
#include <string>

#include "Lab.h"
#include "wltest/HostRunner.h"

namespace flightlab {

inline LabOptions labOptions(const std::string& name) {
    std::string error;
    bool informational = false;
    auto o = parseOptions({"--hud-preset", "none"}, error, informational);
    o->outDir = wltest::freshRoot(name);
    return *o;
}

}  // namespace flightlab
