// CanvasWrapper over the host's recording canvas: each call is recorded; a null handle draws nothing.
#include <cmath>

#include "bakkesmod/wrappers/canvaswrapper.h"
#include "canvas/RecordingCanvas.h"
#include "canvas/TextMetrics.h"

using host::CanvasOp;
using host::RecordingCanvas;
using Kind = CanvasOp::Kind;

namespace {

RecordingCanvas* canvasAt(std::uintptr_t address) {
    return reinterpret_cast<RecordingCanvas*>(address);
}

// Colour components arrive as 0-255 in a char, which is signed on most targets.
std::uint8_t byteOf(char c) { return static_cast<std::uint8_t>(static_cast<unsigned char>(c)); }

// LinearColor components are 0-255 floats on the canvas; NaN counts as 0.
std::uint8_t byteOf(float v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<std::uint8_t>(std::lround(v));
}

void setColor(RecordingCanvas* c, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    CanvasOp& op = c->record(Kind::SetColor);
    op.r = r;
    op.g = g;
    op.b = b;
    op.a = a;
    c->colorR = r;
    c->colorG = g;
    c->colorB = b;
    c->colorA = a;
}

void setPosition(RecordingCanvas* c, double x, double y, bool floats) {
    CanvasOp& op = c->record(Kind::SetPosition);
    op.floats = floats;
    op.x = x;
    op.y = y;
    c->positionX = x;
    c->positionY = y;
}

void sized(RecordingCanvas* c, Kind kind, double w, double h, bool floats) {
    CanvasOp& op = c->record(kind);
    op.floats = floats;
    op.x = w;
    op.y = h;
}

void line(RecordingCanvas* c, Kind kind, double x1, double y1, double x2, double y2, double width,
          bool floats) {
    CanvasOp& op = c->record(kind);
    op.floats = floats;
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.width = width;
}

void text(RecordingCanvas* c, std::string&& s, double sx, double sy, bool shadow) {
    CanvasOp& op = c->record(Kind::DrawString);
    op.text = std::move(s);
    op.scaleX = sx;
    op.scaleY = sy;
    op.flag = shadow;
}

void triangle(RecordingCanvas* c, double x1, double y1, double x2, double y2, double x3,
              double y3, bool floats) {
    CanvasOp& op = c->record(Kind::FillTriangle);
    op.floats = floats;
    op.x = x1;
    op.y = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.x3 = x3;
    op.y3 = y3;
}

}  // namespace

CanvasWrapper::CanvasWrapper(std::uintptr_t mem) : memory_address(mem) {}
CanvasWrapper::CanvasWrapper(const CanvasWrapper& other) : memory_address(other.memory_address) {}
CanvasWrapper& CanvasWrapper::operator=(CanvasWrapper rhs) {
    memory_address = rhs.memory_address;
    return *this;
}
CanvasWrapper::~CanvasWrapper() = default;

Vector2 CanvasWrapper::GetSize() {
    RecordingCanvas* c = canvasAt(memory_address);
    if (!c) return {0, 0};
    c->record(Kind::GetSize);
    return {c->width(), c->height()};
}

void CanvasWrapper::SetPosition(Vector2F pos) {
    if (RecordingCanvas* c = canvasAt(memory_address)) setPosition(c, pos.X, pos.Y, true);
}

void CanvasWrapper::SetPosition(Vector2 pos) {
    if (RecordingCanvas* c = canvasAt(memory_address)) setPosition(c, pos.X, pos.Y, false);
}

Vector2 CanvasWrapper::GetPosition() {
    RecordingCanvas* c = canvasAt(memory_address);
    if (!c) return {0, 0};
    c->record(Kind::GetPosition);
    const auto toInt = [](double v) {
        return std::isfinite(v) && std::fabs(v) < 2147483647.0 ? static_cast<int>(v) : 0;
    };
    return {toInt(c->positionX), toInt(c->positionY)};
}

Vector2F CanvasWrapper::GetPositionFloat() {
    RecordingCanvas* c = canvasAt(memory_address);
    if (!c) return {0, 0};
    c->record(Kind::GetPosition);
    return {static_cast<float>(c->positionX), static_cast<float>(c->positionY)};
}

void CanvasWrapper::SetColor(char Red, char Green, char Blue, char Alpha) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        setColor(c, byteOf(Red), byteOf(Green), byteOf(Blue), byteOf(Alpha));
}

void CanvasWrapper::SetColor(LinearColor color) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        setColor(c, byteOf(color.R), byteOf(color.G), byteOf(color.B), byteOf(color.A));
}

void CanvasWrapper::DrawString(std::string s) {
    if (RecordingCanvas* c = canvasAt(memory_address)) text(c, std::move(s), 1, 1, false);
}

void CanvasWrapper::DrawString(std::string s, float xScale, float yScale) {
    if (RecordingCanvas* c = canvasAt(memory_address)) text(c, std::move(s), xScale, yScale, false);
}

void CanvasWrapper::DrawString(std::string s, float xScale, float yScale, bool dropShadow,
                               bool /*wrapText*/) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        text(c, std::move(s), xScale, yScale, dropShadow);
}

Vector2F CanvasWrapper::GetStringSize(std::string s, float xScale, float yScale) {
    RecordingCanvas* c = canvasAt(memory_address);
    if (!c) return {0, 0};
    CanvasOp& op = c->record(Kind::GetStringSize);
    op.scaleX = xScale;
    op.scaleY = yScale;
    const Vector2F size{host::approximateTextWidth(s) * xScale, host::kFontPixelSize * yScale};
    op.text = std::move(s);
    return size;
}

void CanvasWrapper::FillBox(Vector2F size) {
    if (RecordingCanvas* c = canvasAt(memory_address)) sized(c, Kind::FillBox, size.X, size.Y, true);
}

void CanvasWrapper::FillBox(Vector2 size) {
    if (RecordingCanvas* c = canvasAt(memory_address)) sized(c, Kind::FillBox, size.X, size.Y, false);
}

void CanvasWrapper::DrawBox(Vector2F size) {
    if (RecordingCanvas* c = canvasAt(memory_address)) sized(c, Kind::DrawBox, size.X, size.Y, true);
}

void CanvasWrapper::DrawBox(Vector2 size) {
    if (RecordingCanvas* c = canvasAt(memory_address)) sized(c, Kind::DrawBox, size.X, size.Y, false);
}

void CanvasWrapper::DrawLine(Vector2F start, Vector2F end) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        line(c, Kind::DrawLine, start.X, start.Y, end.X, end.Y, 0, true);
}

void CanvasWrapper::DrawLine(Vector2F start, Vector2F end, float width) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        line(c, Kind::DrawLine, start.X, start.Y, end.X, end.Y, width, true);
}

void CanvasWrapper::DrawLine(Vector2 start, Vector2 end) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        line(c, Kind::DrawLine, start.X, start.Y, end.X, end.Y, 0, false);
}

void CanvasWrapper::DrawLine(Vector2 start, Vector2 end, float width) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        line(c, Kind::DrawLine, start.X, start.Y, end.X, end.Y, width, false);
}

void CanvasWrapper::DrawRect(Vector2F start, Vector2F end) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        line(c, Kind::DrawRect, start.X, start.Y, end.X, end.Y, 0, true);
}

void CanvasWrapper::DrawRect(Vector2 start, Vector2 end) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        line(c, Kind::DrawRect, start.X, start.Y, end.X, end.Y, 0, false);
}

void CanvasWrapper::FillTriangle(Vector2F p1, Vector2F p2, Vector2F p3) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        triangle(c, p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y, true);
}

void CanvasWrapper::FillTriangle(Vector2 p1, Vector2 p2, Vector2 p3) {
    if (RecordingCanvas* c = canvasAt(memory_address))
        triangle(c, p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y, false);
}

// The simulated game has no camera: every world location projects to the canvas origin.
Vector2 CanvasWrapper::Project(Vector location) {
    RecordingCanvas* c = canvasAt(memory_address);
    if (!c) return {0, 0};
    CanvasOp& op = c->record(Kind::Project);
    op.x = location.X;
    op.y = location.Y;
    op.z = location.Z;
    return {0, 0};
}

Vector2F CanvasWrapper::ProjectF(Vector location) {
    const Vector2 p = Project(location);
    return {static_cast<float>(p.X), static_cast<float>(p.Y)};
}
