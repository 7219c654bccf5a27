// Compiled by the Windows builds only: the layout of the export record the host reads. Its eight
// fields each take one pointer-sized slot: 32 bits on x86; on x86-64 the pointers are 64 bits and
// the 16-bit version and the 32-bit plug-in type are padded to 64.
#include <cstddef>

#include "bakkesmod/plugin/bakkesmodplugin.h"

namespace {

using BakkesMod::Plugin::PluginInfo;

#if defined(_WIN64)
constexpr std::size_t kSlot = 8;
#else
constexpr std::size_t kSlot = 4;
#endif

static_assert(sizeof(void*) == kSlot, "the build targets x86 (32-bit) or x86-64 (64-bit)");
static_assert(sizeof(unsigned long) == 4, "the plug-in type is 32 bits wide on Windows");
static_assert(sizeof(PluginInfo) == 8 * kSlot, "eight fields of one slot each");
static_assert(offsetof(PluginInfo, apiBuildVersion) == 0 * kSlot);
static_assert(offsetof(PluginInfo, fileName) == 1 * kSlot);
static_assert(offsetof(PluginInfo, className) == 2 * kSlot);
static_assert(offsetof(PluginInfo, pluginName) == 3 * kSlot);
static_assert(offsetof(PluginInfo, pluginVersion) == 4 * kSlot);
static_assert(offsetof(PluginInfo, pluginType) == 5 * kSlot);
static_assert(offsetof(PluginInfo, initializeFunc) == 6 * kSlot);
static_assert(offsetof(PluginInfo, delFunc) == 7 * kSlot);

}  // namespace
