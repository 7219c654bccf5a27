// The host's recording canvas: what each CanvasWrapper call records and how a frame rasterizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "bakkesmod/wrappers/canvaswrapper.h"
#include "canvas/PngRasterizer.h"
#include "canvas/RecordingCanvas.h"
#include "wltest/HostRunner.h"

#ifdef WL_TESTS_HAVE_PNG
#include "wltest/PngProbe.h"
#endif

namespace {

CanvasWrapper wrap(host::RecordingCanvas& canvas) {
    return CanvasWrapper(reinterpret_cast<std::uintptr_t>(&canvas));
}

std::vector<std::string> lines(const host::RecordingCanvas& canvas) {
    std::vector<std::string> out;
    for (const auto& op : canvas.ops()) out.push_back(host::formatOp(op));
    return out;
}

TEST(RecordingCanvas, EachCallPrintsAsOneLine) {
    struct Case {
        std::function<void(CanvasWrapper&)> call;
        std::string line;
    };
    const float nan = std::nanf("");
    const std::vector<Case> cases = {
        {[](CanvasWrapper& c) { c.SetPosition(Vector2{20, 610}); }, "SetPosition 20, 610"},
        {[](CanvasWrapper& c) { c.SetPosition(Vector2{-5, 0}); }, "SetPosition -5, 0"},
        {[](CanvasWrapper& c) { c.SetPosition(Vector2F{12.5f, 3.0f}); }, "SetPosition 12.5, 3"},
        // Components above 127 arrive as negative chars and still print as 0-255.
        {[](CanvasWrapper& c) { c.SetColor(char(255), char(255), char(255), char(128)); },
         "SetColor 255, 255, 255, 128"},
        {[](CanvasWrapper& c) { c.SetColor(char(64), char(64), char(64), char(192)); },
         "SetColor 64, 64, 64, 192"},
        {[nan](CanvasWrapper& c) { c.SetColor(LinearColor(300, -5, nan, 127.6f)); },
         "SetColor 255, 0, 0, 128"},
        {[](CanvasWrapper& c) { c.FillBox(Vector2{360, 350}); }, "FillBox 360, 350"},
        {[](CanvasWrapper& c) { c.DrawLine(Vector2{120, 500}, Vector2{120, 410}); },
         "DrawLine 120, 500, 120, 410"},
        {[](CanvasWrapper& c) { c.DrawLine(Vector2{1, 2}, Vector2{3, 4}, 2.5f); },
         "DrawLine 1, 2, 3, 4, width 2.5"},
        {[](CanvasWrapper& c) { c.DrawString("Max Speed: "); }, "DrawString Max Speed: "},
        {[](CanvasWrapper& c) { c.DrawString("x", 2, 2, true); }, "DrawString x"},
        {[](CanvasWrapper& c) { c.GetSize(); }, "GetSize"},
        {[](CanvasWrapper& c) { c.DrawBox(Vector2{3, 4}); }, "DrawBox 3, 4"},
        {[](CanvasWrapper& c) { c.DrawRect(Vector2{1, 2}, Vector2{3, 4}); }, "DrawRect 1, 2, 3, 4"},
        {[](CanvasWrapper& c) { c.FillTriangle(Vector2{0, 0}, Vector2{4, 0}, Vector2{0, 4}); },
         "FillTriangle 0, 0, 4, 0, 0, 4"},
        // The float overloads keep their fractions.
        {[](CanvasWrapper& c) { c.FillBox(Vector2F{2.5f, 4}); }, "FillBox 2.5, 4"},
        {[](CanvasWrapper& c) { c.DrawBox(Vector2F{3.25f, 4}); }, "DrawBox 3.25, 4"},
        {[](CanvasWrapper& c) { c.DrawLine(Vector2F{0.5f, 1}, Vector2F{2, 3}); },
         "DrawLine 0.5, 1, 2, 3"},
        {[](CanvasWrapper& c) { c.DrawLine(Vector2F{0.5f, 1}, Vector2F{2, 3}, 1.5f); },
         "DrawLine 0.5, 1, 2, 3, width 1.5"},
        {[](CanvasWrapper& c) { c.DrawRect(Vector2F{1.5f, 2}, Vector2F{3, 4}); },
         "DrawRect 1.5, 2, 3, 4"},
        {[](CanvasWrapper& c) { c.FillTriangle(Vector2F{0.5f, 0}, Vector2F{4, 0}, Vector2F{0, 4}); },
         "FillTriangle 0.5, 0, 4, 0, 0, 4"},
        {[](CanvasWrapper& c) { c.DrawString("y", 1.5f, 1.5f); }, "DrawString y"},
        {[](CanvasWrapper& c) { c.GetStringSize("abc", 2, 1); }, "GetStringSize abc"},
        {[](CanvasWrapper& c) { c.GetPositionFloat(); }, "GetPosition"},
        {[](CanvasWrapper& c) { c.ProjectF(Vector(1.5f, -2, 3)); }, "Project 1.5, -2, 3"},
    };
    for (const auto& tc : cases) {
        host::RecordingCanvas canvas(1920, 1080);
        CanvasWrapper w = wrap(canvas);
        tc.call(w);
        EXPECT_EQ(lines(canvas), std::vector<std::string>{tc.line}) << tc.line;
    }
}

TEST(RecordingCanvas, GettersAnswerFromTheCanvasState) {
    host::RecordingCanvas canvas(640, 360);
    CanvasWrapper w = wrap(canvas);
    const Vector2 size = w.GetSize();
    EXPECT_EQ(size.X, 640);
    EXPECT_EQ(size.Y, 360);
    w.SetPosition(Vector2{7, 9});
    const Vector2 pos = w.GetPosition();
    EXPECT_EQ(pos.X, 7);
    EXPECT_EQ(pos.Y, 9);
    w.SetColor(char(10), char(20), char(30), char(200));
    EXPECT_EQ(canvas.colorA, 200);
    EXPECT_EQ(lines(canvas),
              (std::vector<std::string>{"GetSize", "SetPosition 7, 9", "GetPosition",
                                        "SetColor 10, 20, 30, 200"}));
    w.SetPosition(Vector2F{2.5f, 3.75f});
    const Vector2F exact = w.GetPositionFloat();
    EXPECT_EQ(exact.X, 2.5f);
    EXPECT_EQ(exact.Y, 3.75f);
    EXPECT_EQ(w.GetPosition().X, 2);
    // A position no int holds reads as 0 rather than overflowing.
    w.SetPosition(Vector2F{3e9f, std::nanf("")});
    EXPECT_EQ(w.GetPosition().X, 0);
    EXPECT_EQ(w.GetPosition().Y, 0);
    // Text is measured with the host's one font: 0.6 em a character, 13 pixels a line.
    const Vector2F text = w.GetStringSize("abcd", 2, 1.5f);
    EXPECT_FLOAT_EQ(text.X, 4 * 13 * 0.6f * 2);
    EXPECT_FLOAT_EQ(text.Y, 13 * 1.5f);
    // No camera: every world location lands on the canvas origin.
    const Vector2 projected = w.Project(Vector(100, 200, 300));
    EXPECT_EQ(projected.X, 0);
    EXPECT_EQ(projected.Y, 0);
    // A copied or assigned handle draws on the same canvas.
    CanvasWrapper copy(w);
    CanvasWrapper assigned(0);
    assigned = copy;
    EXPECT_EQ(assigned.memory_address, w.memory_address);

    canvas.clear();
    EXPECT_TRUE(canvas.ops().empty());
    EXPECT_EQ(canvas.positionX, 0);
}

// A cleared canvas reuses its ops for the next frame: nothing of the last frame's arguments may
// show through, its long texts included.
TEST(RecordingCanvas, AFrameAfterAClearCarriesNothingOver) {
    host::RecordingCanvas canvas(1920, 1080);
    CanvasWrapper w = wrap(canvas);
    w.DrawString("a text longer than a short string holds", 2, 3, true);
    w.DrawLine(Vector2{1, 2}, Vector2{3, 4}, 2.5f);
    canvas.clear();
    w.DrawString("x");
    w.DrawLine(Vector2{1, 2}, Vector2{3, 4});
    EXPECT_EQ(lines(canvas), (std::vector<std::string>{"DrawString x", "DrawLine 1, 2, 3, 4"}));
    const host::CanvasOp& text = canvas.ops()[0];
    EXPECT_EQ(text.scaleX, 1);
    EXPECT_EQ(text.scaleY, 1);
    EXPECT_FALSE(text.flag);
}

TEST(RecordingCanvas, NullHandleDrawsNothing) {
    CanvasWrapper w(0);
    w.SetPosition(Vector2{1, 1});
    w.DrawString("lost");
    w.SetPosition(Vector2F{1, 1});
    w.SetColor(LinearColor(1, 1, 1, 1));
    w.DrawString("lost", 2, 2);
    w.DrawString("lost", 2, 2, true);
    w.FillBox(Vector2F{1, 1});
    w.DrawLine(Vector2{0, 0}, Vector2{1, 1});
    w.FillTriangle(Vector2{0, 0}, Vector2{1, 0}, Vector2{0, 1});
    const Vector2 size = w.GetSize();
    EXPECT_EQ(size.X, 0);
    EXPECT_EQ(size.Y, 0);
    EXPECT_EQ(w.GetPosition().X, 0);
    EXPECT_EQ(w.GetPositionFloat().X, 0.0f);
    EXPECT_EQ(w.GetStringSize("lost", 1, 1).X, 0.0f);
    EXPECT_EQ(w.ProjectF(Vector(1, 1, 1)).X, 0.0f);
}

#ifndef WL_TESTS_HAVE_PNG

TEST(PngRasterizer, WithoutCairoSaysSo) {
    host::RecordingCanvas canvas(10, 10);
    EXPECT_FALSE(host::canWritePng());
    EXPECT_EQ(host::writeFramePng(canvas, "frame.png"),
              "this host was built without Cairo (WINGLEAF_WITH_CAIRO=OFF); PNG output is unavailable");
}

#else

class PngRasterizer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host::canWritePng());
        root = wltest::freshRoot("canvas-png");
    }
    std::filesystem::path root;
};

TEST_F(PngRasterizer, DrawsBlendedShapesAndTextOverTheBackground) {
    host::RecordingCanvas canvas(120, 80);
    CanvasWrapper w = wrap(canvas);
    w.SetPosition(Vector2{0, 0});
    w.SetColor(char(64), char(64), char(64), char(192));
    w.FillBox(Vector2{60, 80});
    w.SetColor(char(0), char(255), char(0), char(255));
    w.DrawLine(Vector2{70, 10}, Vector2{110, 10});
    w.SetPosition(Vector2{5, 40});
    w.SetColor(char(255), char(255), char(255), char(255));
    w.DrawString("Wingleaf");

    const auto file = root / "frame.png";
    EXPECT_EQ(host::writeFramePng(canvas, file.string()), "");
    const auto size = wltest::readPngSize(file);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 120u);
    EXPECT_EQ(size->height, 80u);
    const auto px = wltest::decodePng(file);
    ASSERT_TRUE(px);
    // Background grey 150; grey 64 at alpha 192 over it gives 150 + (64 - 150) * 192 / 255 = 85.
    EXPECT_EQ(px->at(110, 70), 0xff969696u);
    const std::uint32_t box = px->at(2, 75);
    EXPECT_NEAR(static_cast<int>(box & 0xff), 85, 1);
    EXPECT_EQ(px->at(90, 10), 0xff00ff00u);
    // The white text leaves bright pixels inside the box.
    bool bright = false;
    for (int y = 40; y < 60; ++y)
        for (int x = 5; x < 60; ++x) bright = bright || (px->at(x, y) & 0xff) > 200;
    EXPECT_TRUE(bright);
}

// Outlines, rectangles by corners, triangles and text with its drop shadow, as the HUD draws them.
TEST_F(PngRasterizer, DrawsOutlinesCornersTrianglesAndShadowedText) {
    host::RecordingCanvas canvas(160, 100);
    CanvasWrapper w = wrap(canvas);
    w.SetColor(char(255), char(0), char(0), char(255));
    w.SetPosition(Vector2{10, 10});
    w.DrawBox(Vector2{20, 20});
    w.SetColor(char(0), char(0), char(255), char(255));
    w.DrawRect(Vector2{40, 10}, Vector2{60, 30});
    w.SetColor(char(0), char(255), char(0), char(255));
    w.FillTriangle(Vector2{70, 10}, Vector2{100, 10}, Vector2{70, 40});
    w.SetColor(char(255), char(255), char(255), char(255));
    w.SetPosition(Vector2{5, 50});
    w.DrawString("Wing", 2, 2, true);
    w.SetPosition(Vector2{85, 50});
    w.DrawString("Wing", 2, 2, false);

    const auto file = root / "shapes.png";
    ASSERT_EQ(host::writeFramePng(canvas, file.string()), "");
    const auto px = wltest::decodePng(file);
    ASSERT_TRUE(px);
    const std::uint32_t background = 0xff969696u;
    EXPECT_EQ(px->at(10, 20), 0xffff0000u);  // the outline's left edge
    EXPECT_EQ(px->at(29, 20), 0xffff0000u);  // and its right edge, inside the 20 pixels
    EXPECT_EQ(px->at(20, 20), background);   // an outline only
    EXPECT_EQ(px->at(50, 20), 0xff0000ffu);
    EXPECT_EQ(px->at(60, 20), background);   // the far corner is not filled
    EXPECT_EQ(px->at(75, 15), 0xff00ff00u);
    EXPECT_EQ(px->at(95, 35), background);   // beyond the hypotenuse
    // White text over grey only brightens it; the shadow's black darkens beside it.
    const auto darkest = [&](int x0, int x1) {
        std::uint32_t low = 0xff;
        for (int y = 50; y < 100; ++y)
            for (int x = x0; x < x1; ++x) low = std::min(low, px->at(x, y) & 0xff);
        return low;
    };
    EXPECT_LT(darkest(0, 80), 0x60u);
    EXPECT_EQ(darkest(80, 160), 0x96u);
}

// A plug-in may hand the canvas anything: what cannot be drawn is skipped, the rest still is.
TEST_F(PngRasterizer, SkipsShapesWithNonFiniteNumbersAndTextWithoutSize) {
    const float nan = std::nanf("");
    host::RecordingCanvas canvas(40, 40);
    CanvasWrapper w = wrap(canvas);
    w.SetColor(char(255), char(0), char(0), char(255));
    w.SetPosition(Vector2F{nan, 0});
    w.SetPosition(Vector2F{0, 0});
    w.FillBox(Vector2F{nan, 40});
    w.DrawBox(Vector2F{40, nan});
    w.DrawRect(Vector2F{0, 0}, Vector2F{nan, 40});
    w.DrawLine(Vector2F{0, 0}, Vector2F{40, 40}, nan);
    w.FillTriangle(Vector2F{0, 0}, Vector2F{40, 0}, Vector2F{0, nan});
    w.DrawString("hidden", 0, 1);
    w.DrawString("hidden", nan, 1);
    w.DrawString("", 1, 1);
    // Questions draw nothing.
    w.GetSize();
    w.GetPosition();
    w.GetStringSize("size", 1, 1);
    w.Project(Vector(0, 0, 0));
    w.SetPosition(Vector2{30, 30});
    w.FillBox(Vector2{10, 10});

    const auto file = root / "skipped.png";
    ASSERT_EQ(host::writeFramePng(canvas, file.string()), "");
    const auto px = wltest::decodePng(file);
    ASSERT_TRUE(px);
    for (const auto& [x, y] : {std::pair{2, 2}, {20, 20}, {2, 38}, {38, 2}, {10, 5}})
        EXPECT_EQ(px->at(x, y), 0xff969696u) << x << "," << y;
    EXPECT_EQ(px->at(35, 35), 0xffff0000u);
}

TEST_F(PngRasterizer, ReportsFailuresAndLeavesNoFile) {
    host::RecordingCanvas canvas(10, 10);
    const auto missingDir = root / "no-such-dir" / "frame.png";
    const std::string error = host::writeFramePng(canvas, missingDir.string());
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(missingDir));

    host::RecordingCanvas empty(0, 10);
    EXPECT_EQ(host::writeFramePng(empty, (root / "empty.png").string()),
              "canvas size 0x10 cannot be rasterized (each side 1 to 32767)");
    EXPECT_FALSE(std::filesystem::exists(root / "empty.png"));

    // A failed write keeps the earlier picture.
    wltest::writeFile(root / "keep.png", "old");
    EXPECT_NE(host::writeFramePng(empty, (root / "keep.png").string()), "");
    EXPECT_EQ(wltest::readFile(root / "keep.png"), "old");
}

#endif

}  // namespace
