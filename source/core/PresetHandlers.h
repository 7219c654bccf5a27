// The preset change handlers' view of the plug-in object: its console as a PresetIo.
#pragma once
#include "core/wingleaf.h"
#include "presets/PresetProcedures.h"

// The standard preset paths, logging and executing through the plug-in's console.
PresetIo pluginPresetIo(wingleaf& plugin);
