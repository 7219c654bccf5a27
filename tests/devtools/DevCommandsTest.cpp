// Tests of the developer toolbox's registration and input reset against the host console.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "console/Console.h"
#include "GameCommandLines.h"
#include "devtools/DevCommands.h"
#include "game/Game.h"
#include "sdk/PluginContext.h"

namespace {

// A console with no game, and a toolbox registered on it as onLoad does.
struct Toolbox {
    std::ostringstream out;
    std::ostringstream err;
    host::Console console{out, err};
    host::Game game;
    host::PluginContext context;
    DevCommands commands;

    Toolbox() {
        context.console = &console;
        context.game = &game;
        context.className = "wingleaf";
        const auto address = reinterpret_cast<std::uintptr_t>(&context);
        auto manager = std::make_shared<CVarManagerWrapper>(address, typeid(DevCommands));
        commands.cvarManager = manager;
        commands.logger = manager;
        commands.gameWrapper = std::make_shared<GameWrapper>(address, 1, typeid(DevCommands));
        commands.registerCommands();
    }
};

// Every command: resetInputs, which needs no game, and those typed in the game sessions.
std::vector<std::string> allCommands() {
    std::vector<std::string> names{"resetInputs"};
    const auto add = [&names](const auto& lines) {
        for (std::string_view line : lines) names.emplace_back(line.substr(0, line.find(' ')));
    };
    add(kBallCommands);
    add(kCarCommands);
    return names;
}

}  // namespace

// The switches' names and defaults are pinned where they act (the HUD's and the host
// sessions' tests); here every one of them must be registered the same plain way.
TEST(DevCommands, RegistersEveryVariableAndCommandSilently) {
    Toolbox box;
    const std::vector<host::Variable*> variables = box.console.variables();
    EXPECT_FALSE(variables.empty());
    for (const host::Variable* v : variables) {
        const std::string& name = v->def.name;
        EXPECT_EQ(v->value, v->def.defaultValue) << name;
        EXPECT_EQ(v->def.description, "") << name;
        EXPECT_TRUE(v->def.searchable) << name;
        EXPECT_FALSE(v->def.hasMin) << name;
        EXPECT_FALSE(v->def.hasMax) << name;
        EXPECT_TRUE(v->def.save) << name;
        EXPECT_TRUE(v->bindings.empty()) << name;
        EXPECT_TRUE(v->handlers.empty()) << name;
    }
    const std::vector<std::string> commands = allCommands();
    EXPECT_EQ(commands.size(), 37u);
    for (const std::string& name : commands) EXPECT_TRUE(box.console.hasNotifier(name)) << name;
    EXPECT_EQ(box.out.str(), "");
    EXPECT_EQ(box.err.str(), "");
}

TEST(DevCommands, ResetInputsZeroesTheMacroVariablesWithoutAGame) {
    Toolbox box;
    ASSERT_TRUE(box.console.execute("macroThrottle 0.75; macroSteer -1; macroHandbrake 1"));
    ASSERT_TRUE(box.console.execute("resetInputs ignored words"));
    for (const char* name : {"macroThrottle", "macroSteer", "macroHandbrake"}) {
        EXPECT_EQ(host::toFloat(box.console.findVariable(name)->value), 0.0f) << name;
    }
    EXPECT_EQ(box.out.str(), "Inputs have been reset \n");
    EXPECT_EQ(box.err.str(), "");
}

TEST(DevCommands, ResetInputsSkipsAVariableThatIsGone) {
    Toolbox box;
    ASSERT_TRUE(box.console.execute("macroThrottle 0.75; macroHandbrake 1"));
    ASSERT_TRUE(box.console.removeVariable("macroSteer"));
    ASSERT_TRUE(box.console.execute("resetInputs"));
    EXPECT_EQ(host::toFloat(box.console.findVariable("macroThrottle")->value), 0.0f);
    EXPECT_EQ(host::toFloat(box.console.findVariable("macroHandbrake")->value), 0.0f);
    EXPECT_EQ(box.console.findVariable("macroSteer"), nullptr);
    EXPECT_EQ(box.out.str(), "Inputs have been reset \n");
    EXPECT_EQ(box.err.str(), "");
}

namespace {

// Runs each command and reports how many of them wrote something.
int commandsThatWrote(Toolbox& box, const char* const* begin, const char* const* end) {
    int wrote = 0;
    for (const char* const* c = begin; c != end; ++c) {
        const std::string before = box.out.str();
        EXPECT_TRUE(box.console.execute(*c)) << *c;
        if (box.out.str() != before) ++wrote;
    }
    return wrote;
}

}  // namespace

TEST(DevCommands, BallCommandsNeedABallAndCarCommandsAGameCar) {
    Toolbox box;
    box.game.setMode(host::Mode::Freeplay);
    host::Ball* ball = box.game.ball();
    const RBState ballBefore = ball->rb;
    box.game.currentEvent()->balls.clear();
    EXPECT_EQ(commandsThatWrote(box, std::begin(kBallCommands), std::end(kBallCommands)), 0);
    EXPECT_EQ(ball->rb.Location.X, ballBefore.Location.X);
    EXPECT_EQ(ball->rb.LinearVelocity.X, ballBefore.LinearVelocity.X);
    EXPECT_EQ(ball->rb.AngularVelocity.X, ballBefore.AngularVelocity.X);
    EXPECT_EQ(ball->rb.Quaternion.X, ballBefore.Quaternion.X);
    // The car commands do not depend on the ball.
    EXPECT_EQ(commandsThatWrote(box, std::begin(kCarCommands), std::end(kCarCommands)),
              static_cast<int>(std::size(kCarCommands)));

    Toolbox carless;
    carless.game.setMode(host::Mode::Freeplay);
    host::Car* car = carless.game.localCar();
    const RBState carBefore = car->rb;
    const float massBefore = car->mass;
    const float torqueBefore = car->sim.driveTorque;
    const float spinBefore = car->sim.wheels[1].spinSpeed;
    carless.game.currentEvent()->cars.clear();
    EXPECT_EQ(commandsThatWrote(carless, std::begin(kCarCommands), std::end(kCarCommands)), 0);
    EXPECT_EQ(car->rb.Location.X, carBefore.Location.X);
    EXPECT_EQ(car->rb.LinearVelocity.Y, carBefore.LinearVelocity.Y);
    EXPECT_EQ(car->rb.Quaternion.W, carBefore.Quaternion.W);
    EXPECT_EQ(car->mass, massBefore);
    EXPECT_EQ(car->sim.driveTorque, torqueBefore);
    EXPECT_EQ(car->sim.wheels[1].spinSpeed, spinBefore);
    EXPECT_EQ(commandsThatWrote(carless, std::begin(kBallCommands), std::end(kBallCommands)),
              static_cast<int>(std::size(kBallCommands)));
    EXPECT_EQ(carless.game.ball()->rb.Quaternion.X, 1.0f);
    EXPECT_EQ(box.err.str() + carless.err.str(), "");
}
