// The overlay's switches: console variables that the toolbox registers and the HUD reads.
#pragma once

// The developer switches of the overlay, read by name on every frame; registered with the other
// developer variables.
namespace devswitch {
inline constexpr const char* kShowHud = "showHUD";
inline constexpr const char* kShowCarPanel = "showCarDerivedInfo";
inline constexpr const char* kShowYawGauge = "showYaw";
inline constexpr const char* kShowSliderPanel = "showSlider";
}  // namespace devswitch
