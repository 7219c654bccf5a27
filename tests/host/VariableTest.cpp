// Variable values: clamping and its formatting, reading conversions, the five cell types.
#include <cmath>

#include "ConsoleFixture.h"
#include "console/Variable.h"

namespace {

TEST(Variable, ClampsNumbersAndKeepsEverythingElseAsTyped) {
    host::VariableDef speed{"wl_speed", "1", "", true, true, 0.000499f, true, 10, true};
    host::VariableDef free{"wl_name_preset", "", "", true, false, 0, false, 0, false};
    host::VariableDef density{"wl_air_density", "0", "", true, true, 0, true, 0.5f, true};
    const struct {
        const host::VariableDef& def;
        std::string typed;
        std::optional<std::string> stored;
    } cases[] = {
        {speed, "99", "10"},
        {speed, "10.0001", "10"},
        {speed, "0", "0.000499"},
        {speed, "-5", "0.000499"},
        {speed, "1e39", "10"},   // overflows to infinity: still the maximum
        {speed, "-inf", "0.000499"},
        {speed, "2.08100", "2.08100"},  // within range: exactly as typed
        {speed, " 3 ", " 3 "},
        {speed, "Glide", "Glide"},      // not a number: no range applies
        {speed, "12abc", "12abc"},
        {speed, "nan", std::nullopt},
        {density, "1", "0.5"},
        {free, "99999", "99999"},
        {free, "nan", "nan"},
    };
    for (const auto& c : cases) EXPECT_EQ(host::storedValue(c.def, c.typed), c.stored) << c.typed;
}

TEST(Variable, ReadsLikeStrtofAndTruncation) {
    const struct {
        std::string value;
        float f;
        int i;
        bool b;
    } cases[] = {
        {"2.9", 2.9f, 2, true},   {"-2.9", -2.9f, -2, true}, {"0.4", 0.4f, 0, true},
        {"0", 0, 0, false},       {"abc", 0, 0, false},      {"3xyz", 3, 3, true},
        {"1e10", 1e10f, 2147483647, true},                    {"", 0, 0, false},
        {"-1e10", -1e10f, -2147483647 - 1, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(host::toFloat(c.value), c.f) << c.value;
        EXPECT_EQ(host::toInt(c.value), c.i) << c.value;
        EXPECT_EQ(host::toBool(c.value), c.b) << c.value;
    }
    EXPECT_EQ(host::formatFloat(0.000499f), "0.000499");
    EXPECT_EQ(host::formatFloat(0.5f), "0.5");
    EXPECT_EQ(host::formatFloat(10.0f), "10");
}

class VariableCells : public ConsoleFixture {};

TEST_F(VariableCells, EveryCellTypeShowsTheValueFromBindingOnAndAfterEachSet) {
    auto i = std::make_shared<int>(-7);
    auto f = std::make_shared<float>(-7.0f);
    auto s = std::make_shared<std::string>("old");
    auto b = std::make_shared<bool>(false);
    auto c = std::make_shared<LinearColor>(0, 0, 0, 0);
    CVarWrapper var = cvars.registerCvar("v", "2.75", "", true, true, 0, true, 100);
    var.bindTo(i);
    var.bindTo(f);
    var.bindTo(s);
    var.bindTo(b);
    var.bindTo(c);
    EXPECT_EQ(*i, 2);
    EXPECT_EQ(*f, 2.75f);
    EXPECT_EQ(*s, "2.75");
    EXPECT_TRUE(*b);
    EXPECT_EQ(*c, LinearColor(2.75f, 0, 0, 255));

    const struct {
        std::string typed;
        int i;
        float f;
        std::string s;
        bool b;
    } cases[] = {
        {"-3", 0, 0, "0", false},         // clamped to the minimum
        {"250", 100, 100, "100", true},   // clamped to the maximum
        {"0.25", 0, 0.25f, "0.25", true},
        {"text", 0, 0, "text", false},
        {"nan", 0, 0, "text", false},     // rejected: nothing changes
    };
    for (const auto& k : cases) {
        console.execute("v " + k.typed);
        EXPECT_EQ(*i, k.i) << k.typed;
        EXPECT_EQ(*f, k.f) << k.typed;
        EXPECT_EQ(*s, k.s) << k.typed;
        EXPECT_EQ(*b, k.b) << k.typed;
    }
    EXPECT_EQ(err.str(), "v: not a usable number: nan\n");
}

TEST_F(VariableCells, NumericCellsStayInsideTheRangeForNonNumericText) {
    auto f = std::make_shared<float>(1.0f);
    CVarWrapper var = cvars.registerCvar("wl_speed", "1", "", true, true, 0.000499f, true, 10);
    var.bindTo(f);
    console.execute("wl_speed Glide");
    EXPECT_EQ(var.getStringValue(), "Glide");
    EXPECT_EQ(var.getFloatValue(), 0.0f);
    EXPECT_EQ(*f, 0.000499f);
}

TEST_F(VariableCells, ColoursRoundTripThroughTheStoredText) {
    auto c = std::make_shared<LinearColor>();
    CVarWrapper var = cvars.registerCvar("colour", "#FF8000");
    var.bindTo(c);
    EXPECT_EQ(*c, LinearColor(255, 128, 0, 255));
    var.setValue(LinearColor(1, 2, 3, 300));
    EXPECT_EQ(var.getStringValue(), "#010203FF");
    EXPECT_EQ(*c, LinearColor(1, 2, 3, 255));
    var.setValue("(10, 20, 30, 40)");
    EXPECT_EQ(var.getColorValue(), LinearColor(10, 20, 30, 40));

    // What a typed colour reads as; anything unreadable is opaque black, never a non-finite part.
    const struct {
        std::string typed;
        LinearColor read;
    } cases[] = {
        {" #ff8000 ", LinearColor(255, 128, 0, 255)},
        {"#Ff800080", LinearColor(255, 128, 0, 128)},
        {"#FF80", LinearColor(0, 0, 0, 255)},
        {"#FF800G", LinearColor(0, 0, 0, 255)},
        {"(1, nan, inf)", LinearColor(1, 0, 0, 255)},
    };
    for (const auto& k : cases) {
        var.setValue(k.typed);
        EXPECT_EQ(var.getColorValue(), k.read) << k.typed;
    }
    // Stored parts out of 0-255 or NaN are written clamped.
    var.setValue(LinearColor(-4, std::nanf(""), 255.4f, 0));
    EXPECT_EQ(var.getStringValue(), "#0000FF00");
}

}  // namespace
