// Tests of the simulated game: mode events and queries, hooks, ticks, drawables and timeouts.
#include "GameFixture.h"
#include "console/Console.h"

#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>

namespace {

using host::Mode;
namespace ev = host::events;

TEST_F(GameFixture, ModeChangesFireEndThenStartEventsInTheGamesOrder) {
    // The game's own function names: a typo in the host's table shows here.
    const std::string init = "Function TAGame.GameInfo_Soccar_TA.InitGameEvent",
                      fpInit = "Function TAGame.Mutator_Freeplay_TA.Init",
                      destroyed = "Function TAGame.GameEvent_Soccar_TA.Destroyed",
                      mainDestroyed = "Function TAGame.GameInfo_Soccar_TA.HandleMainEventDestroyed",
                      trStart = "Function TAGame.GameEvent_TrainingEditor_TA.StartPlayTest",
                      trDestroyed = "Function TAGame.GameEvent_TrainingEditor_TA.Destroyed";
    const std::string all[] = {init, fpInit, destroyed, mainDestroyed, trStart, trDestroyed};
    for (const std::string& name : all) gwA.HookEvent(name, [this](std::string n) {
        // Each event also records whether the game exists while it runs.
        seen.push_back(n + (gwA.GetLocalCar().IsNull() ? " (no car)" : ""));
    });
    struct Step {
        Mode to;
        std::vector<std::string> expected;
    };
    const Step steps[] = {
        {Mode::Freeplay, {init, fpInit}},
        {Mode::Freeplay, {destroyed, mainDestroyed, init, fpInit}},
        {Mode::Training, {destroyed, mainDestroyed, trStart}},
        {Mode::Exhibition, {trDestroyed, init}},
        {Mode::Online, {destroyed, mainDestroyed}},
        {Mode::Menu, {destroyed}},
        {Mode::Menu, {}},
    };
    for (const Step& s : steps) {
        seen.clear();
        game.setMode(s.to);
        EXPECT_EQ(seen, s.expected) << "entering " << host::modeName(s.to);
    }
}

TEST_F(GameFixture, ModeQueriesAndObjectsPerMode) {
    struct Row {
        Mode mode;
        bool inGame, online, freeplay, training, localCar, server, current;
    };
    const Row rows[] = {
        {Mode::Menu, false, false, false, false, false, false, false},
        {Mode::Freeplay, true, false, true, false, true, true, true},
        {Mode::Training, true, false, false, true, true, true, true},
        {Mode::Exhibition, true, false, false, false, true, true, true},
        {Mode::Online, false, true, false, false, true, false, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(host::modeName(r.mode)));
        game.setMode(r.mode);
        EXPECT_EQ(gwA.IsInGame(), r.inGame);
        EXPECT_EQ(gwA.IsInOnlineGame(), r.online);
        EXPECT_EQ(gwA.IsInFreeplay(), r.freeplay);
        EXPECT_EQ(gwA.IsInCustomTraining(), r.training);
        EXPECT_EQ(!gwA.GetLocalCar().IsNull(), r.localCar);
        EXPECT_EQ(!gwA.GetGameEventAsServer().IsNull(), r.server);
        EXPECT_EQ(!gwA.GetCurrentGameState().IsNull(), r.current);
        if (r.localCar) {
            // The local car is the game car, resting at the origin with the identity orientation.
            const RBState s = gwA.GetLocalCar().GetRBState();
            EXPECT_EQ(gwA.GetCurrentGameState().GetGameCar().memory_address,
                      gwA.GetLocalCar().memory_address);
            EXPECT_EQ(s.Location.Z, 17.0f);
            EXPECT_EQ(s.Location.X, 0.0f);
            EXPECT_EQ(s.Quaternion.W, 1.0f);
            EXPECT_FALSE(gwA.GetCurrentGameState().GetBall().IsNull());
        }
    }
}

TEST_F(GameFixture, HookingANameTwiceAddsACallbackAndUnhookRemovesOnlyTheCallersOwn) {
    gwA.HookEvent("E", recorder("a1"));
    gwA.HookEvent("E", recorder("a2"));
    gwB.HookEvent("E", recorder("b1"));
    EXPECT_EQ(game.hookCount("E"), 3);
    game.fireEvent("E");
    EXPECT_EQ(seen, (std::vector<std::string>{"a1", "a2", "b1"}));

    seen.clear();
    gwA.UnhookEvent("E");
    game.fireEvent("E");
    EXPECT_EQ(seen, (std::vector<std::string>{"b1"}));
    EXPECT_EQ(game.hookSummary(), (std::vector<std::pair<std::string, int>>{{"E", 1}}));

    // Post hooks run after the others and are removed separately.
    gwA.HookEventPost("E", recorder("a-post"));
    gwA.HookEvent("E", recorder("a3"));
    seen.clear();
    game.fireEvent("E");
    EXPECT_EQ(seen, (std::vector<std::string>{"b1", "a3", "a-post"}));
    gwA.UnhookEventPost("E");
    EXPECT_EQ(game.hookCount("E"), 2);

    // A list left with post hooks only, then given a pre hook, still runs the pre hook first.
    gwA.HookEventPost("F", recorder("a-post"));
    gwB.HookEventPost("F", recorder("b-post"));
    gwA.UnhookEventPost("F");
    gwB.HookEvent("F", recorder("b-pre"));
    seen.clear();
    game.fireEvent("F");
    EXPECT_EQ(seen, (std::vector<std::string>{"b-pre", "b-post"}));
}

TEST_F(GameFixture, DropOwnerRemovesThePluginsHooksDrawablesAndTimeouts) {
    game.setMode(Mode::Freeplay);
    gwA.HookEvent("E", recorder("a"));
    gwA.HookEventWithCaller<CarWrapper>("T", [this](CarWrapper, void*, std::string) {
        seen.push_back("a-car");
    });
    gwB.HookEvent("E", recorder("b"));
    gwA.RegisterDrawable([](CanvasWrapper) {});
    gwB.RegisterDrawable([](CanvasWrapper) {});
    gwA.SetTimeout([this](GameWrapper*) { seen.push_back("a-timeout"); }, 0.0f);

    game.dropOwner(&ctxA);
    game.fireEvent("E");
    game.fireEvent("T");
    game.tick(2);
    EXPECT_EQ(seen, (std::vector<std::string>{"b"}));
    EXPECT_EQ(game.hookCount("T"), 0);
    EXPECT_EQ(game.drawableCount(), 1);
}

TEST_F(GameFixture, CallbacksMayChangeHooksWhileTheEventRuns) {
    // A hook removing itself, and one placing a new hook on the same name: the running
    // dispatch is unaffected and the new hook runs from the next firing on.
    gwA.HookEvent("E", [this](std::string) {
        seen.push_back("self-removing");
        gwA.UnhookEvent("E");
    });
    gwB.HookEvent("E", [this](std::string) {
        seen.push_back("adder");
        if (game.hookCount("E") < 3) gwB.HookEvent("E", recorder("added"));
    });
    game.fireEvent("E");
    EXPECT_EQ(seen, (std::vector<std::string>{"self-removing", "adder"}));
    seen.clear();
    game.fireEvent("E");
    EXPECT_EQ(seen, (std::vector<std::string>{"adder", "added"}));
}

TEST_F(GameFixture, AThrowingCallbackIsReportedAndTheNextStillRuns) {
    gwA.HookEvent("E", [](std::string) { throw std::runtime_error("boom"); });
    gwB.HookEvent("E", recorder("b"));
    game.fireEvent("E");
    EXPECT_EQ(seen, (std::vector<std::string>{"b"}));
    EXPECT_EQ(errors, (std::vector<std::string>{"hook on E threw: boom"}));
}

TEST_F(GameFixture, EachTickFiresSetVehicleInputPerCarBeforeThatCarMoves) {
    game.setMode(Mode::Freeplay);
    ASSERT_TRUE(game.setCarCount(3));
    std::vector<std::uintptr_t> callers;
    gwA.HookEventWithCaller<CarWrapper>(
        std::string(ev::kSetVehicleInput), [&](CarWrapper car, void* params, std::string name) {
            callers.push_back(car.memory_address);
            EXPECT_EQ(name, ev::kSetVehicleInput);
            EXPECT_NE(params, nullptr);
            // The car has not moved yet this tick: push it up, the step then carries it.
            if (car.memory_address == gwA.GetLocalCar().memory_address) {
                EXPECT_EQ(car.GetLocation().Z, 17.0f);
                car.SetbOnGround(0);
                car.SetVelocity(Vector(0, 0, 600));
            }
        });
    game.tick(1);
    ArrayWrapper<CarWrapper> cars = gwA.GetGameEventAsServer().GetCars();
    ASSERT_EQ(cars.Count(), 3);
    EXPECT_EQ(callers, (std::vector<std::uintptr_t>{cars.Get(0).memory_address,
                                                    cars.Get(1).memory_address,
                                                    cars.Get(2).memory_address}));
    EXPECT_GT(gwA.GetLocalCar().GetLocation().Z, 17.0f);
    EXPECT_EQ(cars.Get(1).GetLocation().Z, 17.0f);
}

TEST_F(GameFixture, FiredEventsGiveCallerHooksTheObjectsOfTheirType) {
    game.setMode(Mode::Freeplay);
    game.setCarCount(2);
    std::vector<std::string> got;
    gwA.HookEventWithCaller<CarWrapper>("E", [&](CarWrapper c, void*, std::string) {
        got.push_back("car" + std::to_string(c.GetLocation().Y > 0 ? 1 : 0));
    });
    gwA.HookEventWithCaller<BallWrapper>("E", [&](BallWrapper b, void*, std::string) {
        got.push_back(b.IsNull() ? "null ball" : "ball");
    });
    gwA.HookEventWithCaller<ServerWrapper>("E", [&](ServerWrapper s, void*, std::string) {
        got.push_back(s.IsNull() ? "null server" : "server");
    });
    gwA.HookEvent("E", [&](std::string) { got.push_back("plain"); });
    game.fireEvent("E");
    EXPECT_EQ(got, (std::vector<std::string>{"car0", "car1", "ball", "server", "plain"}));

    // Online there is no server event; at the menu nothing of the game exists.
    got.clear();
    game.setMode(Mode::Online);
    game.fireEvent("E");
    EXPECT_EQ(got, (std::vector<std::string>{"car0", "ball", "plain"}));
    got.clear();
    game.setMode(Mode::Menu);
    game.fireEvent("E");
    EXPECT_EQ(got, (std::vector<std::string>{"plain"}));
}

TEST_F(GameFixture, CarCountKeepsCarZeroAndStaleHandlesReadZeros) {
    game.setMode(Mode::Freeplay);
    CarWrapper car0 = gwA.GetLocalCar();
    ASSERT_TRUE(game.setCarCount(4));
    CarWrapper car3 = gwA.GetGameEventAsServer().GetCars().Get(3);
    EXPECT_EQ(car3.GetLocation().Y, 750.0f);
    ASSERT_TRUE(game.setCarCount(1));
    EXPECT_EQ(gwA.GetLocalCar().memory_address, car0.memory_address);
    EXPECT_TRUE(car3.IsNull() == false);  // a handle stays an address...
    EXPECT_EQ(car3.GetLocation().Y, 0.0f);  // ...but the removed car reads as nothing
    EXPECT_FALSE(game.setCarCount(0));
    EXPECT_FALSE(game.setCarCount(host::Game::kMaxCars + 1));

    game.setMode(Mode::Menu);
    EXPECT_EQ(car0.GetMass(), 0.0f);
    car0.SetVelocity(Vector(1, 2, 3));  // no effect, no crash
    EXPECT_FALSE(game.setCarCount(2));
}

TEST_F(GameFixture, ALongSessionReusesTheMemoryOfObjectsRemovedLongAgo) {
    game.setMode(Mode::Freeplay);
    CarWrapper first = gwA.GetLocalCar();
    game.setMode(Mode::Freeplay);
    EXPECT_EQ(first.GetMass(), 0.0f);  // recently removed: still reads as nothing
    std::set<std::uintptr_t> cars, balls, events;
    for (int i = 0; i < 1000; ++i) {
        game.setMode(Mode::Freeplay);
        ServerWrapper server = gwA.GetGameEventAsServer();
        CarWrapper car = gwA.GetLocalCar();
        // A reused object is as new.
        ASSERT_EQ(car.GetLocation().Z, 17.0f);
        ASSERT_EQ(car.GetMass(), host::phys::kCarMass);
        cars.insert(car.memory_address);
        balls.insert(server.GetBall().memory_address);
        events.insert(server.memory_address);
    }
    // A thousand games are held in a few dozen objects of each kind.
    EXPECT_LT(cars.size(), 64u);
    EXPECT_LT(balls.size(), 64u);
    EXPECT_LT(events.size(), 64u);
}

TEST_F(GameFixture, DrawablesRunInOrderAndMayUnregisterWhileDrawing) {
    gwA.RegisterDrawable([this](CanvasWrapper) {
        seen.push_back("a");
        gwA.UnregisterDrawables();
    });
    gwB.RegisterDrawable([this](CanvasWrapper) { seen.push_back("b"); });
    const auto run = [](const host::Game::DrawableFn& fn) { fn(CanvasWrapper(0)); };
    game.runDrawables(run);
    game.runDrawables(run);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "b"}));
    EXPECT_EQ(game.drawableCount(), 1);
}

TEST_F(GameFixture, TimeoutsRunAfterTheirDelayInGameTime) {
    gwA.SetTimeout([this](GameWrapper* gw) { seen.push_back(gw->IsInFreeplay() ? "fp" : "menu"); },
                   0.05f);
    game.tick(5);
    EXPECT_TRUE(seen.empty());
    game.tick(1);
    EXPECT_EQ(seen, (std::vector<std::string>{"menu"}));
    game.tick(10);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(GameFixture, CallerHooksOfEveryKindPostHooksAfterAndTheGamesOtherHandles) {
    game.setMode(Mode::Freeplay);
    std::vector<std::string> got;
    gwA.HookEventWithCallerPost<CarWrapper>("E", [&](CarWrapper c, void*, std::string) {
        got.push_back(c.IsNull() ? "null car after" : "car after");
    });
    gwA.HookEventWithCaller<ActorWrapper>("E", [&](ActorWrapper a, void*, std::string) {
        got.push_back(a.memory_address == gwA.GetCurrentGameState().memory_address ? "event" : "other");
    });
    // No fired event hands a car component.
    gwA.HookEventWithCaller<CarComponentWrapper>("E", [&](CarComponentWrapper, void*, std::string) {
        got.push_back("component");
    });
    gwA.HookEventWithCaller<CarWrapper>("E", nullptr);  // an empty callback hooks nothing
    game.fireEvent("E");
    EXPECT_EQ(got, (std::vector<std::string>{"event", "car after"}));
    EXPECT_EQ(game.hookCount("E"), 3);

    // Execute runs at once on the one game thread; a handle without a game runs nothing.
    gwA.Execute([&](GameWrapper* gw) { got.push_back(gw->IsInFreeplay() ? "executed" : "?"); });
    GameWrapper(0, 1, typeid(int)).Execute([&](GameWrapper*) { got.push_back("ran on null"); });
    EXPECT_EQ(got.back(), "executed");
    EXPECT_FALSE(gwA.IsInReplay());
    EXPECT_FALSE(gwA.IsPaused());

    // A copied or assigned handle is the same plug-in's.
    GameWrapper copy(gwA);
    GameWrapper assigned(gwB);
    assigned = copy;
    assigned.UnhookEventPost("E");
    EXPECT_EQ(game.hookCount("E"), 2);

    ServerWrapper server = gwA.GetGameEventAsServer();
    EXPECT_EQ(server.GetGameBalls().Count(), 1);
    EXPECT_EQ(ServerWrapper(0).GetGameBalls().Count(), 0);
    server.SetGameSpeed(0.5f);
    server.SetGameSpeed(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(server.GetGameSpeed(), 0.5f);
    gwA.SetTimeout([&](GameWrapper*) { got.push_back("never"); }, std::numeric_limits<float>::infinity());
    game.tick(1);
    EXPECT_EQ(errors, (std::vector<std::string>{"SetGameSpeed: ignored a non-finite value",
                                                "SetTimeout: ignored a non-finite delay"}));
    ArrayWrapper<CarWrapper> cars = server.GetCars();
    ArrayWrapper<CarWrapper> carsCopy(cars);
    ArrayWrapper<CarWrapper> none(0);
    none = carsCopy;
    EXPECT_FALSE(none.IsNull());
    EXPECT_EQ(none.Get(0).memory_address, gwA.GetLocalCar().memory_address);
}

TEST(GameChat, ChatLinesShowAsDiagnosticsOfTheConsole) {
    std::ostringstream out, err;
    host::Console console(out, err);
    host::Game game;
    host::PluginContext ctx{&console, &game, "a", "A", "1", "", 1};
    GameWrapper gw(reinterpret_cast<std::uintptr_t>(&ctx), 1, typeid(int));
    gw.LogToChatbox("hello");
    gw.LogToChatbox("hi", "me");
    GameWrapper(0, 1, typeid(int)).LogToChatbox("lost");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "[chat] BAKKESMOD: hello\n[chat] me: hi\n");
}

}  // namespace
