// Compiled by the Windows builds only: the layout of the export record the host reads. On the
// 32-bit target its eight fields are 32 bits wide each; on x86-64 the pointers are 64 bits, the
// plug-in type stays a 32-bit unsigned long, and every field is aligned to 8 bytes.
#include <cstddef>

#include "bakkesmod/plugin/bakkesmodplugin.h"

namespace {

using BakkesMod::Plugin::PluginInfo;

static_assert(sizeof(unsigned long) == 4, "the plug-in type is 32 bits wide on Windows");
static_assert(sizeof(short) == 2);

#if defined(_WIN64)
static_assert(sizeof(void*) == 8, "the 64-bit Windows build targets x86-64");
static_assert(sizeof(PluginInfo) == 8 * 8, "eight fields in 64-bit slots");
static_assert(alignof(PluginInfo) == 8);
static_assert(offsetof(PluginInfo, apiBuildVersion) == 0);
static_assert(offsetof(PluginInfo, fileName) == 8);
static_assert(offsetof(PluginInfo, className) == 16);
static_assert(offsetof(PluginInfo, pluginName) == 24);
static_assert(offsetof(PluginInfo, pluginVersion) == 32);
static_assert(offsetof(PluginInfo, pluginType) == 40);
static_assert(offsetof(PluginInfo, initializeFunc) == 48);
static_assert(offsetof(PluginInfo, delFunc) == 56);
#else
static_assert(sizeof(void*) == 4, "the 32-bit Windows build targets x86");
static_assert(sizeof(PluginInfo) == 8 * 4, "eight 32-bit fields");
static_assert(offsetof(PluginInfo, apiBuildVersion) == 0);
static_assert(offsetof(PluginInfo, fileName) == 4);
static_assert(offsetof(PluginInfo, className) == 8);
static_assert(offsetof(PluginInfo, pluginName) == 12);
static_assert(offsetof(PluginInfo, pluginVersion) == 16);
static_assert(offsetof(PluginInfo, pluginType) == 20);
static_assert(offsetof(PluginInfo, initializeFunc) == 24);
static_assert(offsetof(PluginInfo, delFunc) == 28);
#endif

}  // namespace
