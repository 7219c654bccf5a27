// Console lines: splitting, dispatch, plug-in commands, change handlers and ownership.
#include <stdexcept>

#include "ConsoleFixture.h"
#include "console/LineSplitter.h"

namespace {

int plainNotifierCalls = 0;

using Commands = std::vector<std::vector<std::string>>;

TEST(LineSplitter, SplitsWordsQuotesAndCommands) {
    const struct {
        std::string line;
        Commands expected;
    } cases[] = {
        {"wl_speed 2", {{"wl_speed", "2"}}},
        {"  wl_speed\t 2  ", {{"wl_speed", "2"}}},
        {"wl_name_preset \"My Glide\"", {{"wl_name_preset", "My Glide"}}},
        {"wl_name_preset \"\"", {{"wl_name_preset", ""}}},
        {"a \"x;y\"", {{"a", "x;y"}}},
        {"a 1; b 2;;c", {{"a", "1"}, {"b", "2"}, {"c"}}},
        {"wl_create 1; wl_create 0", {{"wl_create", "1"}, {"wl_create", "0"}}},
        {"a \"unclosed rest", {{"a", "unclosed rest"}}},
        {"x\"y z\"w", {{"xy zw"}}},
        {"", {}},
        {"   ", {}},
        {"// a comment; b 2", {}},
        {"  // indented comment", {}},
        {"a //not a comment", {{"a", "//not", "a", "comment"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(host::splitLine(c.line), c.expected) << c.line;
    }
}

class ConsoleTest : public ConsoleFixture {};

TEST_F(ConsoleTest, PrintsSetsAndReportsUnknownNames) {
    cvars.registerCvar("wl_speed", "1", "", true, true, 0.000499f, true, 10);
    EXPECT_TRUE(console.execute("wl_speed"));
    EXPECT_TRUE(console.execute("wl_speed 99; wl_speed"));
    EXPECT_TRUE(console.execute("wl_speed 0"));
    EXPECT_TRUE(console.execute("wl_speed"));
    EXPECT_EQ(takeOut(), "wl_speed = 1\nwl_speed = 10\nwl_speed = 0.000499\n");
    EXPECT_FALSE(console.failed());

    EXPECT_FALSE(console.execute("nosuch 1; wl_speed 2.50"));
    EXPECT_TRUE(console.failed());
    EXPECT_EQ(err.str(),
              "unknown command or variable: nosuch (help lists the host commands, list the "
              "plug-ins' variables)\n");
    // The other command of the line still ran; an unclamped value stays as typed.
    EXPECT_EQ(cvars.getCvar("wl_speed").getStringValue(), "2.50");
}

TEST_F(ConsoleTest, HostCommandFailureAndQuit) {
    console.addHostCommand("picky", "", [this](const host::Words& w) {
        if (w.size() == 2) return true;
        console.err("usage: picky X");
        return false;
    });
    EXPECT_TRUE(console.execute("picky 1"));
    EXPECT_FALSE(console.failed());
    EXPECT_FALSE(console.execute("picky"));
    EXPECT_TRUE(console.failed());
    EXPECT_EQ(err.str(), "usage: picky X\n");

    console.addHostCommand("quit", "", [this](const host::Words&) {
        console.requestQuit();
        return true;
    });
    int ran = 0;
    console.addHostCommand("count", "", [&ran](const host::Words&) { return ++ran > 0; });
    console.execute("count; quit; count");
    EXPECT_EQ(ran, 1);
}

TEST_F(ConsoleTest, NotifiersGetAllWordsAndThrowsAreContained) {
    std::vector<std::string> got;
    cvars.registerNotifier("cmd", [&got](std::vector<std::string> w) { got = w; }, "", PERMISSION_ALL);
    cvars.registerNotifier("bad", host::Notifier([](std::vector<std::string>) { throw std::runtime_error("boom"); }), "",
                           PERMISSION_ALL);
    EXPECT_TRUE(console.execute("cmd 1 \"two words\""));
    EXPECT_EQ(got, (std::vector<std::string>{"cmd", "1", "two words"}));
    EXPECT_FALSE(console.execute("bad"));
    EXPECT_EQ(err.str(), "command bad threw: boom\n");
    EXPECT_TRUE(console.failed());
}

TEST_F(ConsoleTest, HandlersRunOnEverySetAfterTheCellsWithThePreviousValue) {
    auto cell = std::make_shared<float>(0.0f);
    CVarWrapper var = cvars.registerCvar("v", "1", "", true, true, 0, true, 10);
    var.bindTo(cell);
    std::vector<std::string> seen;
    var.addOnValueChanged([&](std::string old, CVarWrapper v) {
        seen.push_back(old + "->" + v.getStringValue() + " cell " + std::to_string(*cell));
    });
    console.execute("v 2");
    console.execute("v 2");
    cvars.executeCommand("v 50");
    var.setValue(3);
    var.setValue(0.25f);
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "1->2 cell 2.000000", "2->2 cell 2.000000", "2->10 cell 10.000000",
                        "10->3 cell 3.000000", "3->0.25 cell 0.250000"}));
}

TEST_F(ConsoleTest, ThrowingHandlerDoesNotStopTheOthers) {
    CVarWrapper var = cvars.registerCvar("v", "0");
    int calls = 0;
    var.addOnValueChanged([](std::string, CVarWrapper) { throw std::runtime_error("bad handler"); });
    var.addOnValueChanged([&calls](std::string, CVarWrapper) { ++calls; });
    console.execute("v 1");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(err.str(), "change handler of v threw: bad handler\n");
    EXPECT_EQ(var.getStringValue(), "1");
}

TEST_F(ConsoleTest, UnknownVariableIsANullWrapper) {
    CVarWrapper missing = cvars.getCvar("nothing");
    EXPECT_EQ(missing.memory_address, 0u);
    EXPECT_TRUE(missing.IsNull());
    EXPECT_FALSE(static_cast<bool>(missing));
    EXPECT_EQ(missing.getStringValue(), "");
    missing.setValue("1");  // a null handle ignores writes
    EXPECT_EQ(cvars.getCvar("v").memory_address, 0u);
    cvars.registerCvar("v", "0");
    EXPECT_FALSE(cvars.getCvar("v").IsNull());
}

TEST_F(ConsoleTest, RegisteringAnExistingNameKeepsTheFirstVariable) {
    cvars.registerCvar("v", "1", "first", true, true, 0, true, 5);
    CVarWrapper again = cvars.registerCvar("v", "9", "second");
    EXPECT_EQ(again.getStringValue(), "1");
    EXPECT_EQ(again.getDescription(), "first");
    again.setValue("7");
    EXPECT_EQ(again.getStringValue(), "5");
}

TEST_F(ConsoleTest, LogWritesLinesVerbatimWideAsUtf8) {
    cvars.log("  Debug5 statement ");
    cvars.log(std::wstring(L"caf\u00e9 \u2708 \U0001F600"));
    EXPECT_EQ(takeOut(), "  Debug5 statement \ncaf\xC3\xA9 \xE2\x9C\x88 \xF0\x9F\x98\x80\n");
}

TEST_F(ConsoleTest, DroppingAnOwnerRemovesItsRegistrationsAndKeepsSavedValues) {
    host::PluginContext other{&console, nullptr, "other", "", "", "", 1};
    CVarManagerWrapper otherCvars(reinterpret_cast<std::uintptr_t>(&other), typeid(int));
    otherCvars.registerCvar("host_var", "0");
    cvars.registerCvar("mine_saved", "1", "", true, false, 0, false, 0, true);
    cvars.registerCvar("mine_unsaved", "1", "", true, false, 0, false, 0, false);
    cvars.registerNotifier("mine_cmd", host::Notifier([](std::vector<std::string>) {}), "", PERMISSION_ALL);
    auto cell = std::make_shared<std::string>();
    int handled = 0;
    CVarWrapper foreign = cvars.getCvar("host_var");
    foreign.bindTo(cell);
    foreign.addOnValueChanged([&handled](std::string, CVarWrapper) { ++handled; });
    console.execute("mine_saved 4");

    console.dropOwner(&ctx);
    EXPECT_EQ(console.findVariable("mine_saved"), nullptr);
    EXPECT_EQ(console.findVariable("mine_unsaved"), nullptr);
    EXPECT_FALSE(console.hasNotifier("mine_cmd"));
    console.execute("host_var 5");
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(*cell, "0");  // written at binding, not since
    EXPECT_EQ(cell.use_count(), 1);
    EXPECT_EQ(console.savedValues(), (std::map<std::string, std::string>{{"host_var", "5"}, {"mine_saved", "4"}}));
    // The saved value returns with the variable.
    EXPECT_EQ(cvars.registerCvar("mine_saved", "1").getStringValue(), "4");
}

TEST_F(ConsoleTest, UnloadedVariablesAreFreedOnceNoLoadedPluginHoldsAHandle) {
    host::PluginContext other{&console, nullptr, "other", "", "", "", 1};
    CVarManagerWrapper otherCvars(reinterpret_cast<std::uintptr_t>(&other), typeid(int));
    for (int cycle = 0; cycle < 100; ++cycle) {
        cvars.registerCvar("mine", "1").setValue("2");
        console.dropOwner(&ctx);
    }
    EXPECT_EQ(console.retiredVariables(), 0u);

    cvars.registerCvar("mine", "1");
    CVarWrapper held = otherCvars.getCvar("mine");
    console.dropOwner(&ctx);
    EXPECT_EQ(console.retiredVariables(), 1u);
    EXPECT_EQ(held.getStringValue(), "2");  // the stale handle still reads, and sets nothing
    held.setValue("3");
    EXPECT_EQ(console.savedValues().at("mine"), "2");
    console.dropOwner(&other);
    EXPECT_EQ(console.retiredVariables(), 0u);
}

void countCall(std::vector<std::string>) { ++plainNotifierCalls; }

TEST_F(ConsoleTest, ResetNotifyAndRemovalThroughTheHandles) {
    CVarWrapper var = cvars.registerCvar("v", "1", "", true, true, 0, true, 10);
    std::vector<std::string> seen;
    var.addOnValueChanged([&seen](std::string old, CVarWrapper v) { seen.push_back(old + "->" + v.getStringValue()); });
    var.setValue(4);
    var.ResetToDefault();
    var.notify();  // the handlers run without a change
    var.removeOnValueChanged();
    var.setValue(5);
    EXPECT_EQ(seen, (std::vector<std::string>{"1->4", "4->1", "1->1"}));

    // A plain function pointer is a notifier too; a null one registers nothing.
    cvars.registerNotifier("plain", &countCall, "", PERMISSION_ALL);
    cvars.registerNotifier("none", static_cast<commandNotifier>(nullptr), "", PERMISSION_ALL);
    EXPECT_TRUE(console.execute("plain"));
    EXPECT_EQ(plainNotifierCalls, 1);
    EXPECT_FALSE(console.hasNotifier("none"));
    EXPECT_TRUE(cvars.removeNotifier("plain"));
    EXPECT_FALSE(cvars.removeNotifier("plain"));
    EXPECT_FALSE(console.hasNotifier("plain"));

    EXPECT_TRUE(cvars.removeCvar("v"));
    EXPECT_FALSE(cvars.removeCvar("v"));
    EXPECT_EQ(console.findVariable("v"), nullptr);
    var.setValue(7);  // the handle outlives its variable and writes nothing
    var.ResetToDefault();
    var.notify();
    EXPECT_EQ(seen.size(), 3u);

    // A manager without a console answers no and registers nothing.
    CVarManagerWrapper none(0, typeid(int));
    EXPECT_FALSE(none.removeCvar("x"));
    EXPECT_FALSE(none.removeNotifier("x"));
    EXPECT_TRUE(none.registerCvar("x", "1").IsNull());
    EXPECT_TRUE(none.getCvar("x").IsNull());
}

}  // namespace
