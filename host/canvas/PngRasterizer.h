// Turns a recorded frame into a PNG picture (with Cairo, when the host is built with it).
#pragma once
#include <string>

#include "canvas/RecordingCanvas.h"

struct _cairo_surface;

namespace host {

// True when this build can write PNG pictures.
bool canWritePng();

// Replays the frame's calls over a neutral background at the canvas size and writes the PNG.
// Returns "" on success, otherwise the reason it failed (no file is left half-written).
std::string writeFramePng(const RecordingCanvas& canvas, const std::string& path);

// Writes an opaque Cairo image surface (ARGB32 or RGB24, flushed) as an RGB PNG with fast
// compression: pictures of flat backgrounds stay small, and the default settings would spend
// several times as long. The file is written beside PATH (a leftover there is removed, a link
// never followed) and renamed over it when complete. Returns "" or the reason it failed.
std::string writeOpaquePng(_cairo_surface* surface, const std::string& path);

}  // namespace host
