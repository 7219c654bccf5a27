// Stand-in wrapper of Wine's <windows.h> for the MSVC-mode compile check. Wine defines the 128-bit
// compare-exchange as an inline function for clang, where clang in MSVC mode has it built in: the
// inline one is renamed away and the built-in one stays. Wine also spells the keyword inline as
// __inline for MSVC through a macro, which Microsoft's standard library refuses: it goes again.
#pragma once

#define _InterlockedCompareExchange128 wl_wine_InterlockedCompareExchange128
#include_next <windows.h>
#undef _InterlockedCompareExchange128
#undef inline
