// The library's exports, loaded the way the host loads them: names, record and object lifecycle.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "core/Variables.h"
#include "core/wingleaf.h"
#include "wltest/HostRunner.h"

namespace {

using GetPlugin = std::uintptr_t (*)();
using DeleteMe = void (*)();

// The plug-in library, opened once for the whole test program and never closed, so that
// objects it created can be released at any time.
void* library() {
    static void* handle = dlopen(WL_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename T>
T symbol(const char* name) {
    return reinterpret_cast<T>(dlsym(library(), name));
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const auto candidate = std::filesystem::path(dir) / program;
        if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return program;
}

// A freshly constructed plug-in object: nothing handed out, nothing allocated.
void expectPristine(wingleaf& plugin) {
    EXPECT_EQ(plugin.cvarManager, nullptr);
    EXPECT_EQ(plugin.gameWrapper, nullptr);
    EXPECT_EQ(plugin.devCommands.cvarManager, nullptr);
    EXPECT_EQ(plugin.devCommands.gameWrapper, nullptr);
    EXPECT_EQ(plugin.devCommands.logger, nullptr);
    EXPECT_EQ(plugin.hud.game, nullptr);
    EXPECT_EQ(plugin.hud.console, nullptr);
    EXPECT_EQ(plugin.hud.owner, nullptr);
    EXPECT_FALSE(plugin.suspended);
    EXPECT_EQ(plugin.preset, nullptr);
    for (const VariableRow& row : kVariables) {
        switch (row.cellKind()) {
            case CellKind::Float:
                EXPECT_EQ(plugin.cell(row.slider), nullptr) << row.name;
                break;
            case CellKind::Bool:
                EXPECT_EQ(plugin.enabled, nullptr) << row.name;
                break;
            case CellKind::String:
                EXPECT_EQ(plugin.namePreset, nullptr) << row.name;
                break;
            case CellKind::None:
                break;
        }
    }
}

TEST(EntryPoints, ExportedUnderPlainNames) {
    const auto result =
        wltest::runProgram({findOnPath("nm"), "-D", "--defined-only", WL_PLUGIN_PATH});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> kinds;
    for (const std::string& line : result.lines()) {
        std::istringstream words(line);
        std::string address, kind, name;
        if (words >> address >> kind >> name) kinds[name] = kind;
    }
    EXPECT_EQ(kinds["getPlugin"], "T");
    EXPECT_EQ(kinds["deleteMe"], "T");
    EXPECT_EQ(kinds["exports"], "D");
}

TEST(EntryPoints, ExportRecord) {
    ASSERT_NE(library(), nullptr) << dlerror();
    const auto* info = symbol<const BakkesMod::Plugin::PluginInfo*>("exports");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->apiBuildVersion, 73);
    EXPECT_EQ(std::filesystem::path(info->fileName).filename(), "exports.cpp");
    EXPECT_STREQ(info->className, "wingleaf");
    EXPECT_STREQ(info->pluginName, "Wingleaf");
    EXPECT_STREQ(info->pluginVersion, WL_VERSION);
    EXPECT_EQ(info->pluginType, 1u);
    EXPECT_EQ(info->initializeFunc, symbol<GetPlugin>("getPlugin"));
    EXPECT_EQ(info->delFunc, symbol<DeleteMe>("deleteMe"));
}

// One sequence, since the library's static handle lives as long as the test program.
TEST(EntryPoints, OneObjectPerHandleFromCreationToRelease) {
    ASSERT_NE(library(), nullptr) << dlerror();
    const auto getPlugin = symbol<GetPlugin>("getPlugin");
    const auto deleteMe = symbol<DeleteMe>("deleteMe");
    ASSERT_NE(getPlugin, nullptr);
    ASSERT_NE(deleteMe, nullptr);

    // Nothing exists yet: releasing is harmless.
    deleteMe();

    const std::uintptr_t address = getPlugin();
    auto& handle = *reinterpret_cast<std::shared_ptr<wingleaf>*>(address);
    ASSERT_NE(handle, nullptr);
    wingleaf* const first = handle.get();
    EXPECT_EQ(getPlugin(), address);
    EXPECT_EQ(handle.get(), first);
    EXPECT_EQ(handle.use_count(), 1);
    expectPristine(*handle);

    std::weak_ptr<wingleaf> watch = handle;
    deleteMe();
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(watch.expired());
    deleteMe();
    EXPECT_EQ(handle, nullptr);

    // A new object after release, in the same handle, as pristine as the first.
    EXPECT_EQ(getPlugin(), address);
    ASSERT_NE(handle, nullptr);
    expectPristine(*handle);

    // A reference the host kept keeps the object alive past deleteMe.
    std::shared_ptr<wingleaf> hostReference = handle;
    deleteMe();
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(hostReference.use_count(), 1);
    hostReference->suspended = true;
    hostReference.reset();
}

}  // namespace
