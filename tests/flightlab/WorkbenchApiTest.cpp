// The workbench's API against a server on port 0: each endpoint, and each refusal leaves the
// server answering.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <thread>

#include "LabAdapter.h"
#include "WorkbenchServer.h"
#include "wltest/HostRunner.h"

using namespace flightlab::server;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// One server for the whole suite: its workers take a while to start under the sanitizers.
class WorkbenchApi : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new fs::path(wltest::freshRoot("workbench-api"));
        game_ = new fs::path(*root_ / "game");
        // A game folder as the host lays it out, with one user preset in it (its file edited by
        // hand) and a preset file that no entry lists, as a crash may leave one.
        const auto laidOut = wltest::runHost(*game_, {"wl_name_preset Mine", "wl_create 1"});
        ASSERT_EQ(laidOut.exitCode, 0) << laidOut.err;
        wltest::writeFile(*game_ / "bakkesmod/wingleaf/Mine.txt", "2.5\n");
        wltest::writeFile(*game_ / "bakkesmod/wingleaf/Left.txt", "3.5\n");
        lab_ = new LabAdapter(WL_PLUGIN_PATH, *root_ / "work", *game_, 2);
        server_ = new WorkbenchServer(*lab_, {"127.0.0.1", 0, ""});
        port_ = server_->bind();
        thread_ = new std::thread([] { server_->serve(); });
    }
    static void TearDownTestSuite() {
        server_->stop();
        thread_->join();
        delete thread_;
        delete server_;
        delete lab_;
        fs::remove_all(root_->parent_path());
        delete game_;
        delete root_;
    }

    static httplib::Client client() {
        httplib::Client c("127.0.0.1", port_);
        c.set_read_timeout(300, 0);
        return c;
    }
    static httplib::Headers own() { return {{"Origin", "http://127.0.0.1:" + std::to_string(port_)}}; }
    static httplib::Result post(const std::string& path, const std::string& body, httplib::Headers headers = own()) {
        return client().Post(path.c_str(), headers, body, "application/json");
    }
    static json postJson(const std::string& path, const json& body) {
        auto r = post(path, body.dump());
        EXPECT_TRUE(r);
        if (!r) return {};
        EXPECT_EQ(r->status, 200) << path << ": " << r->body;
        return json::parse(r->body, nullptr, false);
    }
    // The lines of a streamed tune.
    static std::vector<json> tuneLines(const json& body) {
        auto r = post("/api/tune", body.dump());
        EXPECT_TRUE(r && r->status == 200) << (r ? r->body : "no answer");
        std::vector<json> lines;
        std::istringstream in(r ? r->body : "");
        for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line));
        return lines;
    }

    static inline fs::path* root_ = nullptr;
    static inline fs::path* game_ = nullptr;
    static inline LabAdapter* lab_ = nullptr;
    static inline WorkbenchServer* server_ = nullptr;
    static inline std::thread* thread_ = nullptr;
    static inline int port_ = 0;
};

const json kPresetAndStock = {
    {"setups", {{{"label", "current"}, {"model", true}, {"preset", "1"}, {"sliders", {{"wl_lift", 3}}}}, {{"label", "stock"}, {"model", false}}}}};

}  // namespace

TEST_F(WorkbenchApi, VocabularyAndPresetsComeFromThePlugin) {
    auto r = client().Get("/api/vocabulary", own());
    ASSERT_TRUE(r);
    const json v = json::parse(r->body);
    ASSERT_EQ(v["sliders"].size(), flightlab::kSliderCount);
    for (std::size_t i = 0; i < flightlab::kSliderCount; ++i) {
        EXPECT_EQ(v["sliders"][i]["name"], flightlab::kSliderNames[i]);
        EXPECT_EQ(v["sliders"][i]["max"], lab_->ranges()[i].max);
        EXPECT_EQ(v["sliders"][i]["default"], lab_->ranges()[i].defaultValue);
    }
    EXPECT_TRUE(v["game"]);
    r = client().Get("/api/presets", own());
    ASSERT_TRUE(r);
    const json p = json::parse(r->body);
    ASSERT_EQ(p["base"].size(), 6u);
    EXPECT_EQ(p["base"][0]["sliders"]["wl_lift"], lab_->ranges()[12].defaultValue);
    ASSERT_EQ(p["user"].size(), 1u);
    EXPECT_EQ(p["user"][0]["preset"], "Mine");
    EXPECT_EQ(p["user"][0]["sliders"]["wl_speed"], 2.5);  // the file's first field
}

TEST_F(WorkbenchApi, FlyAnswersEverySetupAndDropsSupersededRequests) {
    const json a = postJson("/api/fly", kPresetAndStock);
    ASSERT_EQ(a["flights"].size(), 2u);
    const json& lifted = a["flights"][0];
    const json& stock = a["flights"][1];
    EXPECT_EQ(lifted["sliders"]["wl_lift"], 3);
    EXPECT_TRUE(stock["sliders"].is_null());
    EXPECT_NE(lifted["figures"]["distance"], stock["figures"]["distance"]);
    const std::size_t ticks = lifted["samples"]["t"].size();
    EXPECT_EQ(lifted["samples"]["z"].size(), ticks);
    // The samples end at touchdown (times are to the millisecond; a tick is 8.3 ms).
    EXPECT_NEAR(lifted["figures"]["airtime"].get<double>(), lifted["samples"]["t"][ticks - 1].get<double>(), 5e-4);
    // Attitude at release: the launch's nose-up pitch, flying along the nose, wings level.
    const json& s = lifted["samples"];
    for (const char* column : {"pitch", "aoa", "qw", "qx", "qy", "qz"}) EXPECT_EQ(s[column].size(), ticks) << column;
    EXPECT_NEAR(s["pitch"][0].get<double>(), flightlab::Launch{}.pitchDeg, 0.01);
    EXPECT_NEAR(s["aoa"][0].get<double>(), 0, 0.01);
    const double half = flightlab::Launch{}.pitchDeg * std::numbers::pi / 360;
    EXPECT_NEAR(std::abs(s["qw"][0].get<double>()), std::cos(half), 1e-4);
    EXPECT_NEAR(std::abs(s["qy"][0].get<double>()), std::sin(half), 1e-4);

    // Launched towards +Y: the distance along the heading is the way gone in Y.
    const json turned = postJson("/api/fly", {{"launch", {{"heading", 90}, {"timeLimit", 1}}}, {"setups", {json::object()}}})["flights"][0]["samples"];
    const std::size_t last = turned["t"].size() - 1;
    EXPECT_NEAR(turned["along"][last].get<double>(), turned["y"][last].get<double>() - turned["y"][0].get<double>(), 0.15);
    EXPECT_GT(turned["along"][last].get<double>(), 500);
    EXPECT_NEAR(turned["side"][last].get<double>(), 0, 1);

    // Once a newer request of the same client has arrived, an older one that waited does not
    // fly; another client's newer request supersedes nothing.
    FlyRequest request = decodeFly(kPresetAndStock.dump(), lab_->ranges());
    const auto older = lab_->nextTicket("page a");
    lab_->nextTicket("page b");
    EXPECT_NO_THROW(lab_->fly(request, "page a", older));
    lab_->nextTicket("page a");
    try {
        lab_->fly(request, "page a", older);
        FAIL() << "the older request flew";
    } catch (const WorkError& e) {
        EXPECT_EQ(e.status, 409);
    }
}

TEST_F(WorkbenchApi, RefusalsNameTheFieldAndLeaveTheServerRunning) {
    const std::string port = std::to_string(port_);
    const std::string big(kMaxBodyBytes + 1, ' ');
    struct Case {
        const char* what;
        std::string path, body;
        httplib::Headers headers;
        int status;
        std::string field;
    };
    const std::vector<Case> cases{
        {"bad JSON", "/api/fly", "{\"setups\": [", own(), 400, ""},
        {"not an object", "/api/fly", "[1]", own(), 400, ""},
        {"out of range", "/api/fly", R"({"setups": [{"sliders": {"wl_speed": 99}}]})", own(), 400, "setups[0].sliders.wl_speed"},
        {"unknown slider", "/api/fly", R"({"setups": [{"sliders": {"wl_sped": 1}}]})", own(), 400, "setups[0].sliders.wl_sped"},
        {"unknown field", "/api/fly", R"({"setups": [{}], "extra": 1})", own(), 400, "extra"},
        {"too many set-ups", "/api/fly", R"({"setups": [{},{},{},{},{},{},{},{},{}]})", own(), 400, "setups"},
        {"time limit beyond the bound", "/api/fly", R"({"launch": {"timeLimit": 1000}, "setups": [{}]})", own(), 400, "launch.timeLimit"},
        {"held input beyond a stick", "/api/fly", R"({"launch": {"input": {"roll": 2}}, "setups": [{}]})", own(), 400, "launch.input.roll"},
        {"grid too large", "/api/grid", R"({"setup": {}, "speeds": 100})", own(), 400, "speeds"},
        {"HUD tick past the flight", "/api/hud", R"({"setup": {}, "tick": 999999})", own(), 400, "tick"},
        {"no targets", "/api/tune", R"({"targets": {}})", own(), 400, "targets"},
        {"path in a name", "/api/save", R"({"name": "../escape", "sliders": {}})", own(), 400, "name"},
        {"foreign Origin", "/api/fly", kPresetAndStock.dump(), {{"Origin", "http://evil.example"}}, 403, ""},
        {"foreign Host", "/api/fly", kPresetAndStock.dump(), {{"Host", "evil.example:" + port}}, 403, ""},
        {"oversize body", "/api/fly", big, own(), 413, ""},
        {"Origin not over http", "/api/fly", kPresetAndStock.dump(), {{"Origin", "https://127.0.0.1:" + port}}, 403, ""},
        {"no such endpoint", "/api/flyy", "{}", own(), 404, ""},
        {"request line too long", "/api/fly?" + std::string(9000, 'q'), "{}", own(), 414, ""},
        {"save refused by the lab", "/api/save", R"({"name": "1", "sliders": {}})", own(), 400, "name"},
    };
    for (const Case& c : cases) {
        auto r = post(c.path, c.body, c.headers);
        ASSERT_TRUE(r) << c.what;
        EXPECT_EQ(r->status, c.status) << c.what << ": " << r->body;
        const json error = json::parse(r->body, nullptr, false);
        EXPECT_TRUE(error.contains("error")) << c.what << ": " << r->body;
        EXPECT_EQ(error.value("field", ""), c.field) << c.what;
    }
    auto r = client().Post("/api/fly", own(), kPresetAndStock.dump(), "text/plain");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 415);
    // Every name of this machine's loopback is answered, whatever the address bound.
    for (const std::string host : {"localhost:", "[::1]:", "127.0.0.1:"}) {
        r = client().Get("/api/vocabulary", {{"Host", host + port}});
        ASSERT_TRUE(r) << host;
        EXPECT_EQ(r->status, 200) << host;
    }
}

TEST_F(WorkbenchApi, APortInUseIsRefused) {
    WorkbenchServer second(*lab_, {"127.0.0.1", port_, ""});
    try {
        second.bind();
        FAIL() << "a second server bound the port in use";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "cannot listen on 127.0.0.1 port " + std::to_string(port_) +
                                             " (in use, or not an address of this machine)");
    }
}

TEST_F(WorkbenchApi, TuneStreamsItsResultOneAtATimeAndCancels) {
    // Targets the defaults already meet: the search ends at once with a verdict.
    const json defaults = postJson("/api/fly", {{"setups", {json::object()}}, {"samples", false}});
    const json& figures = defaults["flights"][0]["figures"];
    const auto done = tuneLines({{"targets", {{"distance", figures["distance"]}}}});
    ASSERT_FALSE(done.empty());
    EXPECT_EQ(done.back()["type"], "result") << done.back();
    EXPECT_TRUE(done.back()["met"]);
    EXPECT_EQ(done.back()["verdict"][0]["figure"], "distance");

    // The finished tune's slot is free by the time its last line is read.
    EXPECT_FALSE(lab_->tuneRunning());

    // A long search: a second one is refused while it runs, and it ends when cancelled.
    std::vector<json> longLines;
    std::thread longTune([&] { longLines = tuneLines({{"targets", {{"airtime", 9.5}, {"distance", {{"relative", 0.3}}}}}}); });
    for (int i = 0; i < 6000 && !lab_->tuneRunning(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(lab_->tuneRunning());
    auto second = post("/api/tune", R"({"targets": {"airtime": 5}})");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->status, 409) << second->body;
    postJson("/api/tune/cancel", json::object());
    longTune.join();
    ASSERT_FALSE(longLines.empty());
    EXPECT_EQ(longLines.back()["type"], "cancelled") << longLines.back();
}

TEST_F(WorkbenchApi, SaveInstallsThroughThePluginAndNeedsAnExplicitOverwrite) {
    const json save = {{"name", "Glide A"}, {"sliders", {{"wl_lift", 4.25}}}};
    const json saved = postJson("/api/save", save);
    EXPECT_EQ(saved["file"], "bakkesmod/wingleaf/Glide A.txt");
    const fs::path file = *game_ / "bakkesmod/wingleaf/Glide A.txt";
    ASSERT_TRUE(fs::exists(file));
    const std::string first = wltest::readFile(file);

    auto again = post("/api/save", save.dump());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 400);
    EXPECT_EQ(json::parse(again->body)["field"], "name");
    EXPECT_EQ(wltest::readFile(file), first);

    json overwrite = save;
    overwrite["sliders"]["wl_lift"] = 1;
    overwrite["overwrite"] = true;
    postJson("/api/save", overwrite);
    EXPECT_NE(wltest::readFile(file), first);
    // The saved preset is listed with its values.
    const json presets = json::parse(client().Get("/api/presets", own())->body);
    bool listed = false;
    for (const json& p : presets["user"]) listed = listed || (p["preset"] == "Glide A" && p["sliders"]["wl_lift"] == 1);
    EXPECT_TRUE(listed);

    // A file no entry lists is no preset: saving its name needs no overwrite and lists it.
    postJson("/api/save", {{"name", "Left"}, {"sliders", {{"wl_speed", 4}}}});
    const json withLeft = json::parse(client().Get("/api/presets", own())->body);
    listed = false;
    for (const json& p : withLeft["user"])
        listed = listed || (p["preset"] == "Left" && p["sliders"]["wl_speed"] == 4);
    EXPECT_TRUE(listed);
}

TEST_F(WorkbenchApi, PresetFilesRoundTripAndTheHudIsAPicture) {
    auto r = post("/api/preset-file", json({{"sliders", {{"wl_lift", 3.5}, {"wl_roll", 0.25}}}}).dump());
    ASSERT_TRUE(r);
    ASSERT_EQ(r->status, 200) << r->body;
    const json read = postJson("/api/preset-text", {{"text", r->body}});
    EXPECT_EQ(read["sliders"]["wl_lift"], 3.5);
    EXPECT_EQ(read["sliders"]["wl_roll"], 0.25);

    r = post("/api/hud", R"({"setup": {"preset": "3"}, "tick": 60})");
    ASSERT_TRUE(r);
    ASSERT_EQ(r->status, 200) << r->body;
    EXPECT_EQ(r->get_header_value("Content-Type"), "image/png");
    EXPECT_EQ(r->body.substr(1, 3), "PNG");

    const json grid = postJson("/api/grid", {{"setup", {{"preset", "1"}}}, {"speeds", 2}, {"pitches", 3}});
    ASSERT_EQ(grid["cells"].size(), 6u);
    EXPECT_EQ(grid["cells"][5]["pitch"], 45);
    EXPECT_EQ(grid["cells"][5]["speed"], 2300);
}

// Whether `actual` holds what `shown` shows: every key shown, with its value; a number equal to
// the decimals shown (6.21 stands for 6.205 up to 6.215).
bool holdsShown(const json& shown, const json& actual) {
    if (shown.is_number()) {
        if (!actual.is_number()) return false;
        const std::string text = shown.dump();
        const auto dot = text.find('.');
        const int decimals = dot == std::string::npos ? 0 : static_cast<int>(text.size() - dot - 1);
        return std::fabs(shown.get<double>() - actual.get<double>()) <=
               0.5 * std::pow(10.0, -decimals) + 1e-9;
    }
    if (shown.is_object()) {
        if (!actual.is_object()) return false;
        for (const auto& [key, value] : shown.items())
            if (!actual.contains(key) || !holdsShown(value, actual[key])) return false;
        return true;
    }
    if (shown.is_array()) {
        if (!actual.is_array() || actual.size() != shown.size()) return false;
        for (std::size_t i = 0; i < shown.size(); ++i)
            if (!holdsShown(shown[i], actual[i])) return false;
        return true;
    }
    return shown == actual;
}

// The request and answer that docs/workbench-api.md shows: the page's indented block after
// "<!-- api-request: POST PATH -->" is sent, and the answer must hold the block after
// "<!-- api-answer -->".
TEST_F(WorkbenchApi, TheDocumentedExampleAnswersAsShown) {
    std::ifstream in(fs::path(WL_SOURCE_DIR) / "docs/workbench-api.md");
    std::map<std::string, std::string> blocks;  // marker -> the indented lines after it
    std::string marker, line;
    while (std::getline(in, line)) {
        if (line.rfind("<!-- api-", 0) == 0) {
            marker = line;
        } else if (!marker.empty() && line.rfind("    ", 0) == 0) {
            blocks[marker] += line.substr(4) + "\n";
        } else if (!line.empty()) {
            marker.clear();
        }
    }
    const std::string request = "<!-- api-request: POST /api/fly -->";
    ASSERT_EQ(blocks.count(request), 1u) << "no example request in docs/workbench-api.md";
    const json answer = postJson("/api/fly", json::parse(blocks[request]));
    EXPECT_TRUE(holdsShown(json::parse(blocks["<!-- api-answer -->"]), answer))
        << "docs/workbench-api.md shows another answer than this one:\n"
        << answer.dump(4);
}
