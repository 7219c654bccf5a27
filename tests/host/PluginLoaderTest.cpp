// The loader refuses a library that is no plug-in, or a broken one, with one clear line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "console/Console.h"
#include "loader/DynamicLibrary.h"
#include "loader/PluginLoader.h"

namespace {

TEST(PluginLoader, RefusesBrokenLibrariesWithOneLineAndLoadsNothing) {
    const std::string dir = WL_BROKEN_PLUGIN_DIR;
    const auto path = [&](const std::string& fault) {
        return dir + "/wl_broken_" + fault + host::DynamicLibrary::suffix();
    };
    const std::pair<std::string, std::string> cases[] = {
        {"no_exports", path("no_exports") + " has no plug-in exports"},
        {"old_api", path("old_api") + " was built for API version " +
                        std::to_string(BAKKESMOD_PLUGIN_API_VERSION - 1) + ", the host has " +
                        std::to_string(BAKKESMOD_PLUGIN_API_VERSION)},
        {"no_entry_points", path("no_entry_points") + " lacks getPlugin or deleteMe"},
        {"null_plugin", "getPlugin of BrokenPlugin gave no plug-in"},
        {"empty_plugin", "getPlugin of BrokenPlugin gave no plug-in"},
    };
    for (const auto& [fault, message] : cases) {
        std::ostringstream out, err;
        host::Console console(out, err);
        host::PluginLoader loader(console, dir, "");
        EXPECT_FALSE(loader.load(path(fault))) << fault;
        EXPECT_EQ(err.str(), "plugin load: " + message + "\n") << fault;
        EXPECT_EQ(out.str(), "") << fault;
        EXPECT_TRUE(loader.plugins().empty()) << fault;
    }
}

}  // namespace
