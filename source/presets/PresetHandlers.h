// The preset change handlers' view of the plug-in object: its console as a PresetIo and its
// slider cells.
#pragma once
#include "core/wingleaf.h"
#include "presets/PresetProcedures.h"

// The standard preset paths, logging and executing through the plug-in's console.
PresetIo pluginPresetIo(wingleaf& plugin);

// The current slider values, read from the bound cells in slider order.
SliderValues currentSliders(const wingleaf& plugin);
