// Loading the plug-in into a host console: the wl_ variables as the host records them, their
// cells, persistence flags, and what load and unload write.
#include <gtest/gtest.h>

#include <charconv>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>

#include "console/Console.h"
#include "core/Variables.h"
#include "core/wingleaf.h"
#include "sdk/PluginContext.h"

namespace {

// The plug-in object loaded into a console of its own, without a simulated game.
class LoadedPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        context.console = &console;
        context.className = "wingleaf";
        const auto address = reinterpret_cast<std::uintptr_t>(&context);
        console.addHostCommand("cl_settings_refreshplugins", "", [this](const host::Words&) {
            ++refreshes;
            for (const VariableRow& row : kVariables)
                registeredAtRefresh += console.findVariable(std::string(row.name)) ? 1 : 0;
            return true;
        });
        plugin = std::make_shared<wingleaf>();
        plugin->cvarManager = std::make_shared<CVarManagerWrapper>(address, typeid(wingleaf));
        plugin->gameWrapper = std::make_shared<GameWrapper>(address, 1, typeid(wingleaf));
        plugin->onLoad();
    }

    void TearDown() override {
        console.dropOwner(&context);
        plugin.reset();
    }

    CVarWrapper cvar(std::string_view name) {
        return plugin->cvarManager->getCvar(std::string(name));
    }

    std::ostringstream out;
    std::ostringstream err;
    host::Console console{out, err};
    host::PluginContext context;
    std::shared_ptr<wingleaf> plugin;
    int refreshes = 0;
    int registeredAtRefresh = 0;
};

float parseFloat(std::string_view text) {
    float value = -1.0f;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

struct ExpectedVariable {
    const char* name;
    const char* defaultValue;
    const char* description;
    bool hasRange;
    float min;
    float max;
    bool saved;
    CellKind cell;
};

// Written out independently of the plug-in's table, in registration order.
constexpr ExpectedVariable kExpected[] = {
    {"wl_name_preset", "[Name of Preset]", "Name your custom wingleaf preset", false, 0, 0, false,
     CellKind::String},
    {"wl_air_density", "0", "Air Density", true, 0, 0.5f, true, CellKind::Float},
    {"wl_length", "1", "Car Length", true, 0, 10, true, CellKind::Float},
    {"wl_width", "1", "Car Width", true, 0, 10, true, CellKind::Float},
    {"wl_height", "1", "Car Height", true, 0, 10, true, CellKind::Float},
    {"wl_drag_x", "0", "Scales Drag X", true, 0, 10, true, CellKind::Float},
    {"wl_drag_y", "0", "Scales Drag Y", true, 0, 10, true, CellKind::Float},
    {"wl_drag_z", "0", "Scales Drag Z", true, 0, 10, true, CellKind::Float},
    {"wl_pitch", "0", "Scales Pitch Stabilization", true, 0, 10, true, CellKind::Float},
    {"wl_roll", "0", "Scales Roll Stabilization", true, 0, 10, true, CellKind::Float},
    {"wl_yaw", "0", "Scales Yaw Stabilization", true, 0, 10, true, CellKind::Float},
    {"wl_lift", "0", "Scales Up/Down Lift", true, 0, 10, true, CellKind::Float},
    {"wl_boost", "1", "Boost Power Multiplier", true, 0, 10, true, CellKind::Float},
    {"wl_speed", "1", "Terminal Velocity Multiplier", true, 0.000499f, 10, true, CellKind::Float},
    {"wl_throttle", "1", "Air Throttle Force Multiplier", true, 0, 10, false, CellKind::Float},
    {"wl_enabled", "0", "Enables/disable wingleaf lift functionality", true, 0, 0.5f, false,
     CellKind::Bool},
    {"wl_preset", "0", "Presets for slider values", true, 0, 2000, true, CellKind::None},
    {"wl_create", "0", "Create your custom wingleaf preset", true, 0, 1, false, CellKind::None},
    {"wl_delete", "0", "Delete your custom wingleaf preset", true, 0, 1, false, CellKind::None},
};

TEST_F(LoadedPlugin, HostRecordsEveryVariableAsRequired) {
    ASSERT_EQ(kVariables.size(), std::size(kExpected));
    for (std::size_t i = 0; i < std::size(kExpected); ++i) {
        const ExpectedVariable& e = kExpected[i];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(kVariables[i].name, e.name) << "registration order";
        CVarWrapper v = cvar(e.name);
        ASSERT_FALSE(v.IsNull());
        EXPECT_EQ(v.getCVarName(), e.name);
        EXPECT_EQ(v.getDescription(), e.description);
        EXPECT_EQ(v.GetDefaultValue(), e.defaultValue);
        EXPECT_EQ(v.getStringValue(), e.defaultValue);
        EXPECT_EQ(v.HasMinimum(), e.hasRange);
        EXPECT_EQ(v.HasMaximum(), e.hasRange);
        if (e.hasRange) {
            EXPECT_EQ(v.GetMinimum(), e.min);
            EXPECT_EQ(v.GetMaximum(), e.max);
        }
        const host::Variable* recorded = console.findVariable(e.name);
        ASSERT_NE(recorded, nullptr);
        EXPECT_TRUE(recorded->def.searchable);
        EXPECT_EQ(recorded->def.save, e.saved);
        EXPECT_EQ(recorded->bindings.size(), e.cell == CellKind::None ? 0u : 1u);
        EXPECT_EQ(kVariables[i].cellKind(), e.cell);
    }
}

TEST_F(LoadedPlugin, CellsHoldTheDefaultsAfterLoad) {
    for (const VariableRow& row : kVariables) {
        switch (row.cellKind()) {
            case CellKind::Float:
                ASSERT_NE(plugin->cell(row.slider), nullptr) << row.name;
                EXPECT_EQ(*plugin->cell(row.slider), parseFloat(row.defaultValue)) << row.name;
                break;
            case CellKind::Bool:
                ASSERT_NE(plugin->enabled, nullptr);
                EXPECT_FALSE(*plugin->enabled);
                break;
            case CellKind::String:
                ASSERT_NE(plugin->namePreset, nullptr);
                EXPECT_EQ(*plugin->namePreset, "[Name of Preset]");
                break;
            case CellKind::None:
                break;
        }
    }
    ASSERT_NE(plugin->preset, nullptr);
    EXPECT_EQ(plugin->preset->values[Slider::speed], 1.0f);
    EXPECT_EQ(plugin->preset->values[Slider::air_density], 0.0f);
    EXPECT_EQ(plugin->preset->cvarManager, plugin->cvarManager);
}

TEST_F(LoadedPlugin, HandlesAreSharedWithTheMembers) {
    EXPECT_EQ(plugin->devCommands.cvarManager, plugin->cvarManager);
    EXPECT_EQ(plugin->devCommands.logger, plugin->cvarManager);
    EXPECT_EQ(plugin->devCommands.gameWrapper, plugin->gameWrapper);
    EXPECT_EQ(plugin->hud.console, plugin->cvarManager);
    EXPECT_EQ(plugin->hud.game, plugin->gameWrapper);
    EXPECT_EQ(plugin->hud.owner, plugin.get());
    EXPECT_FALSE(plugin->suspended);
}

TEST_F(LoadedPlugin, EveryCellFollowsItsOwnVariable) {
    // Distinct values, so a cell bound to the wrong variable shows.
    float value = 0.0f;
    for (const VariableRow& row : kVariables) {
        if (row.cellKind() != CellKind::Float) continue;
        value += 0.03125f;
        ASSERT_TRUE(console.execute(std::string(row.name) + " " + std::to_string(value)));
    }
    value = 0.0f;
    for (const VariableRow& row : kVariables) {
        if (row.cellKind() != CellKind::Float) continue;
        value += 0.03125f;
        EXPECT_EQ(*plugin->cell(row.slider), value) << row.name;
    }

    ASSERT_TRUE(console.execute("wl_name_preset \"My Glide\""));
    EXPECT_EQ(*plugin->namePreset, "My Glide");
    ASSERT_TRUE(console.execute("wl_enabled 1"));
    EXPECT_TRUE(*plugin->enabled);
    ASSERT_TRUE(console.execute("wl_enabled 0"));
    EXPECT_FALSE(*plugin->enabled);

    // The host clamps to the registered range before the cell sees the value.
    ASSERT_TRUE(console.execute("wl_speed 0"));
    EXPECT_EQ(*plugin->cell(Slider::speed), 0.000499f);
    ASSERT_TRUE(console.execute("wl_air_density 3"));
    EXPECT_EQ(*plugin->cell(Slider::air_density), 0.5f);
}

TEST_F(LoadedPlugin, ExactlyTheSavedVariablesReachTheConfiguration) {
    std::set<std::string> expected;
    for (const VariableRow& row : kVariables)
        if (row.saved) expected.insert(std::string(row.name));
    EXPECT_EQ(expected.size(), 14u);
    // The developer toolbox's fifteen variables are saved as well.
    for (const char* name :
         {"recordCarInfo", "recordBallInfo", "recordEveryTick", "showHUD", "showCarRBState",
          "showBallRBState", "showCarDerivedInfo", "showInput", "showYaw", "showSlider",
          "overrideInput", "macroThrottle", "macroSteer", "macroHandbrake", "turnRightAt1000"})
        expected.insert(name);
    std::set<std::string> saved;
    for (const auto& [name, value] : console.savedValues()) saved.insert(name);
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(saved.count("wl_throttle"), 0u);
}

TEST_F(LoadedPlugin, LoadRefreshesSettingsOnceAfterRegisteringAndLogsNothing) {
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(registeredAtRefresh, 19);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
}

TEST_F(LoadedPlugin, UnloadOutsideAGameWritesOneLineAndKeepsState) {
    ASSERT_TRUE(console.execute("wl_enabled 1"));
    plugin->onUnload();
    EXPECT_EQ(out.str(), "Debug5 statement\n");
    EXPECT_TRUE(*plugin->enabled);
    EXPECT_FALSE(plugin->suspended);
    EXPECT_FALSE(cvar("wl_speed").IsNull());
}

}  // namespace
