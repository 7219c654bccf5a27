// Turns a recorded frame into a PNG picture (with Cairo, when the host is built with it).
#pragma once
#include <string>

#include "canvas/RecordingCanvas.h"

namespace host {

// True when this build can write PNG pictures.
bool canWritePng();

// Replays the frame's calls over a neutral background at the canvas size and writes the PNG.
// Returns "" on success, otherwise the reason it failed (no file is left half-written).
std::string writeFramePng(const RecordingCanvas& canvas, const std::string& path);

}  // namespace host
