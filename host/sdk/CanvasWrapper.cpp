// CanvasWrapper over the host's recording canvas: each call is recorded; a null handle draws nothing.
#include <cmath>
#include <type_traits>

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

// Points and sizes come as ints (Vector2) or floats (Vector2F); the record keeps which.
template <typename V>
constexpr bool kFloats = std::is_same_v<V, Vector2F>;

template <typename V>
void setPosition(RecordingCanvas* c, V pos) {
    CanvasOp& op = c->record(Kind::SetPosition);
    op.floats = kFloats<V>;
    op.x = pos.X;
    op.y = pos.Y;
    c->positionX = pos.X;
    c->positionY = pos.Y;
}

// Records a call of the given kind with its first point (or size); null on a null handle.
template <typename V>
CanvasOp* record(std::uintptr_t address, Kind kind, V p) {
    RecordingCanvas* c = canvasAt(address);
    if (c == nullptr) return nullptr;
    CanvasOp& op = c->record(kind);
    op.floats = kFloats<V>;
    op.x = p.X;
    op.y = p.Y;
    return &op;
}

// A line or rectangle from start to end; width 0 is the host's default.
template <typename V>
void line(std::uintptr_t address, Kind kind, V start, V end, double width) {
    if (CanvasOp* op = record(address, kind, start)) {
        op->x2 = end.X;
        op->y2 = end.Y;
        op->width = width;
    }
}

void text(RecordingCanvas* c, std::string&& s, double sx, double sy, bool shadow) {
    CanvasOp& op = c->record(Kind::DrawString);
    op.text = std::move(s);
    op.scaleX = sx;
    op.scaleY = sy;
    op.flag = shadow;
}

template <typename V>
void triangle(std::uintptr_t address, V p1, V p2, V p3) {
    if (CanvasOp* op = record(address, Kind::FillTriangle, p1)) {
        op->x2 = p2.X;
        op->y2 = p2.Y;
        op->x3 = p3.X;
        op->y3 = p3.Y;
    }
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
    if (RecordingCanvas* c = canvasAt(memory_address)) setPosition(c, pos);
}

void CanvasWrapper::SetPosition(Vector2 pos) {
    if (RecordingCanvas* c = canvasAt(memory_address)) setPosition(c, pos);
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

void CanvasWrapper::FillBox(Vector2F size) { record(memory_address, Kind::FillBox, size); }
void CanvasWrapper::FillBox(Vector2 size) { record(memory_address, Kind::FillBox, size); }
void CanvasWrapper::DrawBox(Vector2F size) { record(memory_address, Kind::DrawBox, size); }
void CanvasWrapper::DrawBox(Vector2 size) { record(memory_address, Kind::DrawBox, size); }

void CanvasWrapper::DrawLine(Vector2F start, Vector2F end) { DrawLine(start, end, 0); }
void CanvasWrapper::DrawLine(Vector2 start, Vector2 end) { DrawLine(start, end, 0); }

void CanvasWrapper::DrawLine(Vector2F start, Vector2F end, float width) {
    line(memory_address, Kind::DrawLine, start, end, width);
}

void CanvasWrapper::DrawLine(Vector2 start, Vector2 end, float width) {
    line(memory_address, Kind::DrawLine, start, end, width);
}

void CanvasWrapper::DrawRect(Vector2F start, Vector2F end) {
    line(memory_address, Kind::DrawRect, start, end, 0);
}

void CanvasWrapper::DrawRect(Vector2 start, Vector2 end) {
    line(memory_address, Kind::DrawRect, start, end, 0);
}

void CanvasWrapper::FillTriangle(Vector2F p1, Vector2F p2, Vector2F p3) {
    triangle(memory_address, p1, p2, p3);
}

void CanvasWrapper::FillTriangle(Vector2 p1, Vector2 p2, Vector2 p3) {
    triangle(memory_address, p1, p2, p3);
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
