// A console with captured output and one plug-in context, for the host's unit tests.
#pragma once
#include <gtest/gtest.h>

#include <sstream>
#include <typeinfo>

#include "bakkesmod/wrappers/cvarmanagerwrapper.h"
#include "console/Console.h"
#include "sdk/PluginContext.h"

class ConsoleFixture : public ::testing::Test {
protected:
    std::ostringstream out;
    std::ostringstream err;
    host::Console console{out, err};
    host::PluginContext ctx{&console, nullptr, "owner", "Owner", "1", "", 1};
    CVarManagerWrapper cvars{reinterpret_cast<std::uintptr_t>(&ctx), typeid(ConsoleFixture)};

    // Standard output so far, then cleared.
    std::string takeOut() {
        std::string s = out.str();
        out.str("");
        return s;
    }
};
