// The recording canvas and the one-line text of each recorded call.
#include "canvas/RecordingCanvas.h"

#include <cstdio>

namespace host {

namespace {

// Integer coordinates print as integers; float ones with up to nine significant digits.
std::string number(double v, bool floats) {
    char buf[64];
    if (floats)
        std::snprintf(buf, sizeof buf, "%.9g", v);
    else
        std::snprintf(buf, sizeof buf, "%.0f", v);
    return buf;
}

std::string numbers(std::initializer_list<double> values, bool floats) {
    std::string out;
    for (double v : values) {
        if (!out.empty()) out += ", ";
        out += number(v, floats);
    }
    return out;
}

}  // namespace

std::string formatOp(const CanvasOp& op) {
    using K = CanvasOp::Kind;
    const bool f = op.floats;
    switch (op.kind) {
        case K::GetSize:
            return "GetSize";
        case K::SetPosition:
            return "SetPosition " + numbers({op.x, op.y}, f);
        case K::GetPosition:
            return "GetPosition";
        case K::SetColor:
            return "SetColor " + numbers({double(op.r), double(op.g), double(op.b), double(op.a)}, false);
        case K::DrawString:
            return "DrawString " + op.text;
        case K::GetStringSize:
            return "GetStringSize " + op.text;
        case K::FillBox:
            return "FillBox " + numbers({op.x, op.y}, f);
        case K::DrawBox:
            return "DrawBox " + numbers({op.x, op.y}, f);
        case K::DrawLine:
            if (op.width > 0)
                return "DrawLine " + numbers({op.x, op.y, op.x2, op.y2}, f) + ", width " +
                       number(op.width, true);
            return "DrawLine " + numbers({op.x, op.y, op.x2, op.y2}, f);
        case K::DrawRect:
            return "DrawRect " + numbers({op.x, op.y, op.x2, op.y2}, f);
        case K::FillTriangle:
            return "FillTriangle " + numbers({op.x, op.y, op.x2, op.y2, op.x3, op.y3}, f);
        case K::Project:
            return "Project " + numbers({op.x, op.y, op.z}, true);
    }
    return "?";
}

RecordingCanvas::RecordingCanvas(int width, int height) : width_(width), height_(height) {
    ops_.reserve(128);
}

void RecordingCanvas::clear() {
    used_ = 0;
    positionX = positionY = 0;
    colorR = colorG = colorB = colorA = 255;
}

void RecordingCanvas::grow() { ops_.emplace_back(); }

}  // namespace host
