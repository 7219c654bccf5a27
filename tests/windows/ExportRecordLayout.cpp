// Compiled by the 32-bit Windows build only: the export record the host reads has eight fields
// of 32 bits each, in order, on that target.
#include <cstddef>

#include "bakkesmod/plugin/bakkesmodplugin.h"

namespace {

using BakkesMod::Plugin::PluginInfo;

static_assert(sizeof(void*) == 4, "the Windows build targets 32-bit x86");
static_assert(sizeof(unsigned long) == 4, "the plug-in type is 32 bits wide on Windows");
static_assert(sizeof(PluginInfo) == 8 * 4, "eight 32-bit fields");
static_assert(offsetof(PluginInfo, apiBuildVersion) == 0);
static_assert(offsetof(PluginInfo, fileName) == 4);
static_assert(offsetof(PluginInfo, className) == 8);
static_assert(offsetof(PluginInfo, pluginName) == 12);
static_assert(offsetof(PluginInfo, pluginVersion) == 16);
static_assert(offsetof(PluginInfo, pluginType) == 20);
static_assert(offsetof(PluginInfo, initializeFunc) == 24);
static_assert(offsetof(PluginInfo, delFunc) == 28);

}  // namespace
