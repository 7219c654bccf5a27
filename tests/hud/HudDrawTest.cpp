// The overlay as the host draws it: exact canvas calls from `sim_draw --ops` and PNG frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "wltest/HostRunner.h"

#ifdef WL_TESTS_HAVE_PNG
#include "wltest/PngProbe.h"
#endif

namespace {

using Lines = std::vector<std::string>;

// The line the plug-in logs when it is unloaded at the end of every session.
const std::string kUnloadLine = "Debug5 statement";

// Runs the setup lines, then draws one frame and returns the printed canvas calls.
Lines drawOps(const std::string& name, Lines setup, const std::vector<std::string>& args = {}) {
    setup.push_back("sim_draw --ops");
    const auto result = wltest::runHost(wltest::freshRoot(name), setup, args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    Lines lines = result.lines();
    lines.erase(std::remove(lines.begin(), lines.end(), kUnloadLine), lines.end());
    return lines;
}

// The three calls of one text: position, white, string.
Lines text(int x, int y, const std::string& s) {
    return {"SetPosition " + std::to_string(x) + ", " + std::to_string(y),
            "SetColor 255, 255, 255, 255", "DrawString " + s};
}

void append(Lines& to, const Lines& more) { to.insert(to.end(), more.begin(), more.end()); }

// Only the gauge is on, for a freeplay car with the given state lines.
Lines gaugeOnly(Lines state) {
    Lines lines = {"sim_mode freeplay", "showCarDerivedInfo 0", "showSlider 0"};
    append(lines, state);
    return lines;
}

// The gauge's calls up to and including the reference lines, at (20, 400), scale 1.
Lines gaugeFrame() {
    return {"SetPosition 20, 400",         "SetColor 64, 64, 64, 192",
            "FillBox 200, 200",            "SetColor 255, 255, 255, 255",
            "DrawLine 120, 500, 120, 420", "DrawLine 120, 500, 200, 500"};
}

Lines gaugeLabels() {
    Lines out = text(105, 415, "x");
    append(out, text(195, 505, "y"));
    return out;
}

bool contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(HudDraw, SliderPanelSitsAtTheBottomRightOfAnyCanvas) {
    struct Case {
        std::string canvas;
        int x, y;
    };
    for (const Case& tc : {Case{"1920x1080", 1560, 530}, Case{"1280x720", 920, 170}}) {
        const Lines ops =
            drawOps("slider-" + tc.canvas,
                    {"sim_mode freeplay", "showCarDerivedInfo 0", "showYaw 0", "wl_speed 1.5",
                     "wl_drag_x 0.25", "wl_pitch 2.5"},
                    {"--canvas", tc.canvas});
        Lines expected = {"GetSize", "SetPosition " + std::to_string(tc.x) + ", " + std::to_string(tc.y),
                          "SetColor 64, 64, 64, 192", "FillBox 300, 280"};
        append(expected, text(tc.x + 90, tc.y + 20, "Slider Values"));
        const Lines rows[] = {{"Max Speed: ", "1.500"},
                              {"Boost Power: ", "1.000"},
                              {"Air Density: ", "0.000"},
                              {"Car LWH: ", "1.000, 1.000, 1.000"},
                              {"Drag: ", "0.250, 0.000, 0.000"},
                              {"Stabilization: ", "2.500, 0.000, 0.000"},
                              {"Lift: ", "0.000"},
                              {"Throttle: ", "1.000"}};
        int y = tc.y + 40;
        for (const Lines& row : rows) {
            append(expected, text(tc.x + 10, y, row[0]));
            append(expected, text(tc.x + 140, y, row[1]));
            y += 30;
        }
        EXPECT_EQ(ops, expected) << tc.canvas;
    }
}

TEST(HudDraw, GaugeOfACarHeadingAlongWorldX) {
    const Lines ops = drawOps("gauge-x", gaugeOnly({"sim_set car 0 velocity 2300 0 0"}));
    Lines expected = gaugeFrame();
    append(expected, {"DrawLine 78, 427, 162, 427", "DrawLine 78, 545, 162, 545",
                      "DrawLine 78, 427, 78, 545", "DrawLine 162, 427, 162, 545",
                      "SetColor 255, 255, 255, 128", "DrawLine 120, 500, 120, 410",
                      "SetColor 0, 255, 0, 255", "DrawLine 120, 500, 120, 400"});
    append(expected, text(30, 410, "0.00"));
    append(expected, gaugeLabels());
    EXPECT_EQ(ops, expected);
}

TEST(HudDraw, GaugeHeadingTextsAndNoseLines) {
    struct Case {
        std::string name;
        std::string quaternion;  // W X Y Z
        std::string heading;
        std::string nose;
        std::string velocity;
    };
    const Case cases[] = {
        // Turned left onto world +Y, sliding along world +Y at half the full-scale speed.
        {"plus-y", "0.7071068 0 0 0.7071068", "-1.57", "DrawLine 120, 500, 210, 500",
         "sim_set car 0 velocity 0 1150 0"},
        {"minus-y", "0.7071068 0 0 -0.7071068", "1.57", "DrawLine 120, 500, 30, 500",
         "sim_set car 0 velocity 0 -1150 0"},
    };
    for (const Case& tc : cases) {
        const Lines ops =
            drawOps("gauge-" + tc.name, gaugeOnly({"sim_set car 0 quaternion " + tc.quaternion,
                                                   tc.velocity}));
        EXPECT_TRUE(contains(ops, "DrawString " + tc.heading)) << tc.name;
        const auto nose = std::find(ops.begin(), ops.end(), "SetColor 255, 255, 255, 128");
        ASSERT_NE(nose, ops.end()) << tc.name;
        EXPECT_EQ(*(nose + 1), tc.nose) << tc.name;
        // The velocity line runs along the nose line, 50 pixels long.
        const std::string velocity =
            tc.name == "plus-y" ? "DrawLine 120, 500, 170, 500" : "DrawLine 120, 500, 70, 500";
        EXPECT_TRUE(contains(ops, velocity)) << tc.name;
    }
}

TEST(HudDraw, GaugeOfAVerticalNoseShowsOnlyTheWorldParts) {
    struct Case {
        std::string name;
        std::string quaternion;
        std::string velocity;
        std::string line;
    };
    const Case cases[] = {
        {"climbing", "0.7071068 0 -0.7071068 0", "0 0 500", "DrawLine 120, 500, 120, 500"},
        {"diving with drift", "0.7071068 0 0.7071068 0", "1150 0 -800",
         "DrawLine 120, 500, 120, 450"},
    };
    for (const Case& tc : cases) {
        const Lines ops = drawOps("vertical-" + tc.name,
                                  gaugeOnly({"sim_set car 0 quaternion " + tc.quaternion,
                                             "sim_set car 0 velocity " + tc.velocity}));
        Lines expected = gaugeFrame();
        append(expected, {"SetColor 0, 255, 0, 255", tc.line});
        append(expected, gaugeLabels());
        EXPECT_EQ(ops, expected) << tc.name;
    }
}

TEST(HudDraw, CarPanelRows) {
    const Lines ops = drawOps(
        "car-panel", {"sim_mode freeplay", "showYaw 0", "showSlider 0",
                      "sim_set car 0 location 100 -200 17.5", "sim_set car 0 velocity 3 4 0",
                      "sim_set car 0 angular_velocity 0.1 0.2 0.3"});
    Lines expected = {"SetPosition 20, 610", "SetColor 64, 64, 64, 192", "FillBox 360, 350"};
    append(expected, text(140, 630, "Wingleaf"));
    const Lines rows[] = {{"Car Location", "100.00, -200.00, 17.50"},
                          {"True Speed", "5.0000"},
                          {"Ground Speed", "3.0000"},
                          {"World Vel", "3.0000, 4.0000, 0.0000"},
                          {"Car Fwd/Rt/Up Vel", "3.000, 4.000, 0.000"},
                          {"Quat (WXYZ)", "1.000, 0.000, 0.000, 0.000"},
                          {"Up", "0.00000, 0.00000, 1.00000"},
                          {"Right", "0.00000, 1.00000, 0.00000"},
                          {"Fwd", "1.00000, 0.00000, 0.00000"},
                          {"Angular Vel", "0.10000, 0.20000, 0.30000"}};
    int y = 650;
    for (const Lines& row : rows) {
        append(expected, text(30, y, row[0]));
        append(expected, text(160, y, row[1]));
        y += 30;
    }
    EXPECT_EQ(ops, expected);
}

TEST(HudDraw, CarPanelPrintsTheScalarPartFirst) {
    // Turned 60 degrees left about the vertical: stored (0, 0, 0.5, 0.8660254).
    const Lines ops = drawOps("car-panel-quat", {"sim_mode freeplay", "showYaw 0", "showSlider 0",
                                                 "sim_set car 0 quaternion 0.8660254 0 0 0.5"});
    EXPECT_TRUE(contains(ops, "DrawString 0.866, 0.000, 0.000, 0.500"));
    EXPECT_TRUE(contains(ops, "DrawString 0.50000, 0.86603, 0.00000"));
    EXPECT_TRUE(contains(ops, "DrawString -0.86603, 0.50000, 0.00000"));
}

TEST(HudDraw, SwitchesChooseThePanels) {
    struct Case {
        std::string name;
        Lines switches;
        bool car, gauge, slider;
    };
    const Case cases[] = {
        {"all on", {}, true, true, true},
        {"master off", {"showHUD 0"}, false, false, false},
        {"car panel off", {"showCarDerivedInfo 0"}, false, true, true},
        {"gauge off", {"showYaw 0"}, true, false, true},
        {"slider off", {"showSlider 0"}, true, true, false},
        {"all panels off", {"showCarDerivedInfo 0", "showYaw 0", "showSlider 0"}, false, false,
         false},
    };
    for (const Case& tc : cases) {
        Lines setup = {"sim_mode freeplay"};
        append(setup, tc.switches);
        const Lines ops = drawOps("switch", setup);
        EXPECT_EQ(contains(ops, "DrawString Wingleaf"), tc.car) << tc.name;
        EXPECT_EQ(contains(ops, "DrawString y"), tc.gauge) << tc.name;
        EXPECT_EQ(contains(ops, "DrawString Slider Values"), tc.slider) << tc.name;
        if (!tc.car && !tc.gauge && !tc.slider) {
            EXPECT_EQ(ops, Lines{}) << tc.name;
        }
    }
    // The panels come in a fixed order: car panel, gauge, slider panel.
    const Lines all = drawOps("order", {"sim_mode freeplay"});
    const auto at = [&](const std::string& l) { return std::find(all.begin(), all.end(), l); };
    EXPECT_LT(at("DrawString Wingleaf"), at("DrawString y"));
    EXPECT_LT(at("DrawString y"), at("DrawString Slider Values"));
}

TEST(HudDraw, NothingOutsideALocalGameOrWithoutCars) {
    const Lines cases[] = {
        {},
        {"sim_mode menu"},
        {"sim_mode online"},
        {"sim_mode freeplay", "plugin unload wingleaf"},
    };
    for (const Lines& setup : cases) EXPECT_EQ(drawOps("nothing", setup), Lines{});
    // Every other local mode draws.
    for (const std::string mode : {"training", "exhibition"})
        EXPECT_TRUE(contains(drawOps("mode", {"sim_mode " + mode}), "DrawString Slider Values"))
            << mode;
}

TEST(HudDraw, OnlyTheFirstCarIsShown) {
    const Lines ops = drawOps("cars", {"sim_mode freeplay", "sim_cars 3", "showYaw 0",
                                       "showSlider 0", "sim_set car 1 location 5 5 5",
                                       "sim_set car 0 location 1 2 3"});
    EXPECT_TRUE(contains(ops, "DrawString 1.00, 2.00, 3.00"));
    EXPECT_FALSE(contains(ops, "DrawString 5.00, 5.00, 5.00"));
    EXPECT_EQ(std::count(ops.begin(), ops.end(), "DrawString Wingleaf"), 1);
}

TEST(HudDraw, MalformedArgumentsAreRefused) {
    struct Case {
        std::string line;
        std::string diagnostic;
    };
    const Case cases[] = {
        {"sim_draw --bogus", "sim_draw: unknown option '--bogus'; usage: sim_draw [--ops] [FILE.png]"},
        {"sim_draw frame.txt", "sim_draw: the picture file must end in .png: 'frame.txt'"},
        {"sim_draw a.png b.png",
         "sim_draw: more than one picture file given; usage: sim_draw [--ops] [FILE.png]"},
    };
    for (const Case& tc : cases) {
        const auto root = wltest::freshRoot("bad-args");
        const auto result = wltest::runHost(root, {"sim_mode freeplay", tc.line});
        EXPECT_EQ(result.exitCode, 1) << tc.line;
        EXPECT_NE(result.err.find(tc.diagnostic), std::string::npos) << result.err;
        EXPECT_EQ(result.out, kUnloadLine + "\n") << tc.line;
        EXPECT_FALSE(std::filesystem::exists(root / "a.png"));
    }
}

#ifdef WL_TESTS_HAVE_PNG

TEST(HudDraw, FreeplayFrameAsPicture) {
    struct Case {
        std::vector<std::string> args;
        std::uint32_t width, height;
    };
    for (const Case& tc : {Case{{}, 1920, 1080}, Case{{"--canvas", "800x600"}, 800, 600}}) {
        const auto root = wltest::freshRoot("picture");
        const auto result = wltest::runHost(
            root,
            {"sim_mode freeplay", "wl_enabled 1", "sim_input throttle 1", "sim_input boost 1",
             "sim_tick 60", "sim_draw --ops frame.png"},
            tc.args);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        // --ops and a file together: the calls are printed and the picture is written.
        EXPECT_TRUE(contains(result.lines(), "DrawString Wingleaf"));
        const auto size = wltest::readPngSize(root / "frame.png");
        ASSERT_TRUE(size);
        EXPECT_EQ(size->width, tc.width);
        EXPECT_EQ(size->height, tc.height);
        const auto pixels = wltest::decodePng(root / "frame.png");
        ASSERT_TRUE(pixels);
        // Background, panel greys, antialiased text and coloured lines: far from blank.
        EXPECT_GT(pixels->distinctColours(), 20u);
        const std::uint32_t background = pixels->at(tc.width - 1, 0);
        const std::uint32_t gaugeBox = pixels->at(22, 402);
        EXPECT_NE(background, gaugeBox);
    }
}

TEST(HudDraw, PictureFailuresAreReported) {
    const auto root = wltest::freshRoot("picture-fail");
    const auto result = wltest::runHost(root, {"sim_mode freeplay", "sim_draw missing/frame.png"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("sim_draw: cannot write missing/frame.png"), std::string::npos)
        << result.err;
}

#else

TEST(HudDraw, PictureNeedsCairo) {
    const auto root = wltest::freshRoot("picture-nocairo");
    const auto result = wltest::runHost(root, {"sim_mode freeplay", "sim_draw frame.png"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("sim_draw: cannot write frame.png: this host was built without Cairo"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(root / "frame.png"));
}

#endif

}  // namespace
