// Where the overlay draws: panel positions and sizes, rows, and the heading gauge's geometry, in
// canvas pixels (x right, y down); gauge figures are unscaled gauge pixels.
#pragma once
#include "bakkesmod/wrappers/wrapperstructs.h"

namespace hudlayout {

// Car panel: top-left corner and size, title offset from the corner.
inline constexpr int kCarPanelX = 20, kCarPanelY = 610;
inline constexpr Vector2 kCarPanelSize{360, 350};
inline constexpr int kCarTitleX = 120;

// Slider panel: placed this far from the canvas's right and bottom edges.
inline constexpr int kSliderRight = 360, kSliderBottom = 550;
inline constexpr Vector2 kSliderPanelSize{300, 280};
inline constexpr int kSliderTitleX = 90;

// Both panels: title height, then rows 30 pixels apart, labels and values in two columns.
inline constexpr int kTitleY = 20;
inline constexpr int kRowTop = 40, kRowStep = 30, kLabelX = 10, kValueX = 140;

// Heading gauge: top-left corner and scale, a square of kGaugeSide with its centre at
// (kGaugeCentre, kGaugeCentre).
inline constexpr int kGaugeX = 20, kGaugeY = 400;
inline constexpr float kGaugeScale = 1.0f;
inline constexpr float kGaugeSide = 200.0f;
inline constexpr int kGaugeCentre = 100;
// Ends of the reference lines from the centre: world +X up, world +Y right.
inline constexpr float kGaugeUpEndX = 100.0f, kGaugeUpEndY = 20.0f;
inline constexpr float kGaugeRightEndX = 180.0f, kGaugeRightEndY = 100.0f;
// The car's outline around the centre, px to its right and py along its nose, and the nose line.
inline constexpr float kOutlineHalfWidth = 42.0f, kOutlineFront = 73.0f, kOutlineRear = -45.0f;
inline constexpr float kNoseLength = 90.0f;
// Texts: the heading angle, and the "x" and "y" beside the reference lines.
inline constexpr float kAngleTextX = 10.0f, kAngleTextY = 10.0f;
inline constexpr float kXLabelX = 85.0f, kXLabelY = 15.0f;
inline constexpr float kYLabelX = 175.0f, kYLabelY = 105.0f;

}  // namespace hudlayout
