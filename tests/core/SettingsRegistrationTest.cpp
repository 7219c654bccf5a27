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

// The host holds each variable as its row of the table says, bound to a cell or handed to a
// change handler according to its binding (the values themselves are pinned by the README's
// table, which a test checks against the running host).
TEST_F(LoadedPlugin, EachRowIsRegisteredWithItsBinding) {
    for (const VariableRow& row : kVariables) {
        SCOPED_TRACE(std::string(row.name));
        const host::Variable* v = console.findVariable(std::string(row.name));
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->def.description, row.description);
        EXPECT_EQ(v->def.defaultValue, row.defaultValue);
        EXPECT_EQ(v->value, row.defaultValue);
        EXPECT_EQ(v->def.hasMin, row.hasMin);
        EXPECT_EQ(v->def.hasMax, row.hasMax);
        if (row.hasMin) {
            EXPECT_EQ(v->def.min, row.min);
        }
        if (row.hasMax) {
            EXPECT_EQ(v->def.max, row.max);
        }
        EXPECT_TRUE(v->def.searchable);
        EXPECT_EQ(v->def.save, row.saved);
        EXPECT_EQ(v->bindings.size(), row.cellKind() == CellKind::None ? 0u : 1u);
        // A cell needs no handler, except the switch, which installs or removes the model.
        const bool handled = row.cellKind() == CellKind::None || row.binding == Binding::Enabled;
        EXPECT_EQ(v->handlers.size(), handled ? 1u : 0u);
        EXPECT_EQ(v->owner, &context);
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
    EXPECT_EQ(plugin->hud.sliders, plugin->sliderBlock);
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
