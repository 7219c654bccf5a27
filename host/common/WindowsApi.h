// The Windows API as the host's file helpers use it: the lean header without the min and max
// macros, and the C runtime's low-level file calls. Include it only under _WIN32.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
