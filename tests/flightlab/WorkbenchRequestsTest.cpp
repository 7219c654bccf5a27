// The workbench's request decoder: every refusal names the field at fault and says why; the
// server tests only check that such a refusal reaches the page.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "Requests.h"
#include "Serve.h"
#include "WorkbenchServer.h"

using namespace flightlab;
using namespace flightlab::server;

namespace {

// Every slider from 0 to 10, default 1.
SliderRanges ranges() {
    SliderRanges r{};
    r.fill({0, 10, 1});
    return r;
}

using Decoder = std::function<void(const std::string&)>;
const Decoder fly = [](const std::string& b) { decodeFly(b, ranges()); };
const Decoder grid = [](const std::string& b) { decodeGrid(b, ranges()); };
const Decoder tune = [](const std::string& b) { decodeTune(b, ranges()); };
const Decoder save = [](const std::string& b) { decodeSave(b, ranges()); };
const Decoder hud = [](const std::string& b) { decodeHud(b, ranges()); };
const Decoder presetText = [](const std::string& b) { decodePresetText(b); };

}  // namespace

TEST(WorkbenchRequests, RefusalsNameTheFieldAndTheReason) {
    struct Case {
        const char* what;
        const Decoder& decode;
        std::string body, field, message;
    };
    const std::vector<Case> cases{
        {"oversize body", fly, std::string(kMaxBodyBytes + 1, ' '), "", "the body is larger than 64 KiB"},
        {"setups missing", fly, "{}", "setups", "is required"},
        {"setups not a list", fly, R"({"setups": {}})", "setups", "must be a list of 1 to 8 set-ups"},
        {"no set-up", fly, R"({"setups": []})", "setups", "must be a list of 1 to 8 set-ups"},
        {"set-up not an object", fly, R"({"setups": [5]})", "setups[0]", "must be an object"},
        {"unknown set-up field", fly, R"({"setups": [{"colour": 1}]})", "setups[0].colour", "unknown field"},
        {"launch not an object", fly, R"({"launch": 5, "setups": [{}]})", "launch", "must be an object"},
        {"number as text", fly, R"({"launch": {"speed": "fast"}, "setups": [{}]})", "launch.speed", "must be a number from 0 to 100000"},
        {"number below its range", fly, R"({"launch": {"pitch": -91}, "setups": [{}]})", "launch.pitch", "must be a number from -90 to 90"},
        {"input not an object", fly, R"({"launch": {"input": []}, "setups": [{}]})", "launch.input", "must be an object"},
        {"unknown input", fly, R"({"launch": {"input": {"boost": 1}}, "setups": [{}]})", "launch.input.boost", "unknown field"},
        {"label too long", fly, std::string(R"({"setups": [{"label": ")").append(kMaxLabelBytes + 1, 'x').append("\"}]}"), "setups[0].label", "is longer than 64 bytes"},
        {"model not a flag", fly, R"({"setups": [{"model": "yes"}]})", "setups[0].model", "must be true or false"},
        {"stock car with a preset", fly, R"({"setups": [{"model": false, "preset": "1"}]})", "setups[0].model", "the stock car (model false) takes no preset or sliders"},
        {"preset with a slash", fly, R"({"setups": [{"preset": "a/b"}]})", "setups[0].preset", "user preset 'a/b' may not hold quotes, ';', slashes or line breaks"},
        {"preset not a string", fly, R"({"setups": [{"preset": 1}]})", "setups[0].preset", "must be a string"},
        {"sliders not an object", fly, R"({"setups": [{"sliders": [1]}]})", "setups[0].sliders", "must be an object of slider values by name"},
        {"unknown body", fly, R"({"setups": [{"body": "Bus"}]})", "setups[0].body", "unknown body 'Bus' (bodies: "},
        {"samples not a flag", fly, R"({"setups": [{}], "samples": 1})", "samples", "must be true or false"},
        {"setup missing", grid, "{}", "setup", "is required"},
        {"grid side not whole", grid, R"({"setup": {}, "speeds": 2.5})", "speeds", "must be a whole number from 2 to 12"},
        {"speeds backwards", grid, R"({"setup": {}, "speedFrom": 2000, "speedTo": 1000})", "speedTo", "must be above speedFrom"},
        {"pitches backwards", grid, R"({"setup": {}, "pitchFrom": 10, "pitchTo": 10})", "pitchTo", "must be above pitchFrom"},
        {"tick missing", hud, R"({"setup": {}})", "tick", "is required"},
        {"targets missing", tune, "{}", "targets", "is required"},
        {"targets not an object", tune, R"({"targets": 5})", "targets", "must be an object"},
        {"unknown target", tune, R"({"targets": {"height": 5}})", "targets.height", "unknown field"},
        {"only empty targets", tune, R"({"targets": {"airtime": null}})", "targets", "needs at least one of airtime, distance, top, landing"},
        {"target as text", tune, R"({"targets": {"top": "high"}})", "targets.top", R"(must be a number or {"relative": FACTOR})"},
        {"target of zero", tune, R"({"targets": {"landing": 0}})", "targets.landing", "must be a number from 1e-06 to 1e+06"},
        {"relative factor missing", tune, R"({"targets": {"distance": {}}})", "targets.distance.relative", "is required"},
        {"unknown in a relative target", tune, R"({"targets": {"distance": {"relative": 2, "of": 1}}})", "targets.distance.of", "unknown field"},
        {"unknown fixed slider", tune, R"({"targets": {"top": 5}, "fixed": {"wl_nope": 1}})", "fixed.wl_nope", "unknown slider 'wl_nope' (sliders: wl_speed, "},
        {"start beyond its range", tune, R"({"targets": {"top": 5}, "start": {"wl_lift": 11}})", "start.wl_lift", "wl_lift takes a value from 0 to 10, not 11"},
        {"negative seed", tune, R"({"targets": {"top": 5}, "seed": -1})", "seed", "must be a number from 0 to 4.29497e+09"},
        {"unknown body to tune", tune, R"({"body": "Bus", "targets": {"top": 5}})", "body", "unknown body 'Bus'"},
        {"name missing", save, R"({"sliders": {}})", "name", "is required"},
        {"name not a string", save, R"({"name": 5, "sliders": {}})", "name", "must be a string"},
        {"empty name", save, R"({"name": "", "sliders": {}})", "name", "must not be empty"},
        {"name too long", save, std::string(R"({"name": ")").append(101, 'n').append(R"(", "sliders": {}})"), "name", "is longer than 100 bytes"},
        {"name of a folder", save, R"({"name": "..", "sliders": {}})", "name", "may not be '.' or '..'"},
        {"name with a tab", save, R"({"name": "a\tb", "sliders": {}})", "name", "may not hold control characters"},
        {"name with a DEL", save, "{\"name\": \"a\x7f\", \"sliders\": {}}", "name", "may not hold control characters"},
        {"sliders missing", save, R"({"name": "A"})", "sliders", "is required"},
        {"overwrite not a flag", save, R"({"name": "A", "sliders": {}, "overwrite": "yes"})", "overwrite", "must be true or false"},
        {"text with a NUL", presetText, R"({"text": "1\u0000"})", "text", "is not a text file"},
        {"text not a string", presetText, R"({"text": 1})", "text", "must be a string"},
    };
    for (const Case& c : cases) {
        try {
            c.decode(c.body);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const RequestError& e) {
            EXPECT_EQ(e.field, c.field) << c.what;
            EXPECT_EQ(e.message.substr(0, c.message.size()), c.message) << c.what << ": " << e.message;
        }
    }
}

TEST(WorkbenchRequests, TuneRequestCarriesEveryPart) {
    const TuneRequest r = decodeTune(
        R"({"body": "dominus", "targets": {"airtime": 4, "landing": {"relative": 0.5}},
            "start": {"wl_lift": 3}, "fixed": {"wl_roll": 2}, "seed": 4294967295})",
        ranges());
    EXPECT_EQ(r.body, "dominus");
    EXPECT_EQ(r.targets.airtimeS, 4);
    EXPECT_FALSE(r.targets.relative.airtime);
    EXPECT_EQ(r.targets.landingSpeedUu, 0.5);
    EXPECT_TRUE(r.targets.relative.landing);
    EXPECT_FALSE(r.targets.distanceUu || r.targets.topHeightUu);
    ASSERT_TRUE(r.start);
    EXPECT_EQ((*r.start)[Slider::lift], 3);
    EXPECT_EQ((*r.start)[Slider::speed], 1);  // the others at their defaults
    ASSERT_EQ(r.fixed.size(), 1u);
    EXPECT_EQ(r.fixed[0], std::make_pair(Slider::roll, 2.0f));
    EXPECT_EQ(r.seed, 4294967295u);
}

TEST(WorkbenchRequests, OnlyLoopbackAddressesCountAsPrivate) {
    for (const char* address : {"127.0.0.1", "127.8.9.10", "localhost", "::1"}) EXPECT_TRUE(isLoopback(address)) << address;
    for (const char* address : {"0.0.0.0", "128.0.0.1", "192.168.1.2", "::", "localhost.example", ""})
        EXPECT_FALSE(isLoopback(address)) << address;
}

// A name that is not UTF-8 is shown with its stray bytes escaped, and the shown name leads back
// to it; a UTF-8 name is shown as it is.
TEST(WorkbenchRequests, NamesThatAreNotUtf8AreShownEscaped) {
    const std::pair<std::string, std::string> cases[] = {
        {"Caf\xe9", "Caf\\xE9"},
        {"Caf\xc3\xa9", "Caf\xc3\xa9"},         // é in UTF-8
        {"\xc3", "\\xC3"},                      // a character cut short
        {"a\xed\xa0\x80", "a\\xED\\xA0\\x80"},  // a surrogate
        {"\xf0\x9f\x98\x80!", "\xf0\x9f\x98\x80!"},
    };
    for (const auto& [name, shown] : cases) {
        EXPECT_EQ(shownName(name), shown);
        EXPECT_EQ(nameOfShown(shown), name);
    }
    // Only bytes a shown name can hold come back: any other backslash stays, and is refused.
    EXPECT_EQ(nameOfShown("a\\x41"), "a\\x41");
    EXPECT_FALSE(nameProblem(nameOfShown("a\\x41")).empty());
}

// A wildcard address is answered under the loopback names only: no warning that others can use it.
TEST(WorkbenchRequests, OnlyAnAddressOthersCanUseIsWarnedAbout) {
    EXPECT_EQ(flightlab::listenNote("127.0.0.1"), "");
    EXPECT_EQ(flightlab::listenNote("192.168.1.2"),
              "flightlab: warning: listening on 192.168.1.2: anyone who "
              "can reach this address can fly, tune and save presets");
    for (const char* address : {"0.0.0.0", "::"}) {
        const std::string note = flightlab::listenNote(address);
        EXPECT_EQ(note.find("warning"), std::string::npos) << note;
        EXPECT_NE(note.find("answers only requests addressed to 127.0.0.1 or localhost"),
                  std::string::npos)
            << note;
    }
}
