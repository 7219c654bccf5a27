// The simulated canvas: records every drawing call of one frame as an operation.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace host {

// A recorded call's arguments apart from its text: plain values, reset with one assignment.
struct CanvasOpArgs {
    enum class Kind {
        GetSize,
        SetPosition,    // x, y
        GetPosition,
        SetColor,       // colour
        DrawString,     // text, scaleX, scaleY, flag (drop shadow)
        GetStringSize,  // text, scaleX, scaleY
        FillBox,        // x, y = size
        DrawBox,        // x, y = size
        DrawLine,       // x, y to x2, y2, width (0: the host's one-pixel default)
        DrawRect,       // x, y to x2, y2
        FillTriangle,   // x, y; x2, y2; x3, y3
        Project,        // x, y, z = the world location
    };

    Kind kind = Kind::GetSize;
    // True when the call came with float coordinates (Vector2F); printed with decimals then.
    bool floats = false;
    // Doubles hold every int coordinate exactly as well as every float one.
    double x = 0, y = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0, z = 0;
    double width = 0;
    double scaleX = 1, scaleY = 1;
    bool flag = false;
    // Red, green, blue, alpha, each 0-255.
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

// The arguments every op starts from; copied from memory, which is cheaper than building them.
inline constexpr CanvasOpArgs kBlankOpArgs{};

// One recorded canvas call. Which fields are meaningful depends on the kind.
struct CanvasOp : CanvasOpArgs {
    std::string text;
};

// One line describing the call, as `sim_draw --ops` prints it (e.g. "SetColor 255, 255, 255, 255").
std::string formatOp(const CanvasOp& op);

// A canvas of a fixed size. Besides recording, it keeps the current position and colour,
// so that the getters answer as the real canvas would.
class RecordingCanvas {
public:
    RecordingCanvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    std::span<const CanvasOp> ops() const { return {ops_.data(), used_}; }
    // Forgets the recorded calls and resets position and colour; keeps the memory for the next
    // frame, the texts' buffers included.
    void clear();

    // Records the call and returns the op, for the caller to fill in its arguments. An op of an
    // earlier frame is overwritten in place: its arguments are plain values and its text keeps
    // its buffer, so clearing frees nothing and recording allocates nothing. Inline, with the
    // rare growth out of line: every canvas call of a frame passes here.
    CanvasOp& record(CanvasOp::Kind kind) {
        if (used_ == ops_.size()) grow();
        CanvasOp& op = ops_[used_++];
        static_cast<CanvasOpArgs&>(op) = kBlankOpArgs;
        op.kind = kind;
        op.text.clear();
        return op;
    }

    // Current drawing position and colour, as the last SetPosition and SetColor left them.
    double positionX = 0, positionY = 0;
    std::uint8_t colorR = 255, colorG = 255, colorB = 255, colorA = 255;

private:
    void grow();

    int width_;
    int height_;
    // The first used_ ops are this frame's; the rest are kept from earlier frames for reuse.
    std::vector<CanvasOp> ops_;
    std::size_t used_ = 0;
};

}  // namespace host
