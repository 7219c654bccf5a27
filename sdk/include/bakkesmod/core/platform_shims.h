// What MSVC provides and the SDK headers rely on, supplied for MinGW, GCC and Clang: the
// __pragma operator, the _NODISCARD attribute macro of its standard library and, off Windows,
// the __stdcall calling-convention keyword. MSVC itself needs none of it.
#pragma once

#if !defined(_MSC_VER)
#ifndef __pragma
#define __pragma(x)
#endif
#endif

#ifndef _NODISCARD
#define _NODISCARD [[nodiscard]]
#endif

#if !defined(_WIN32)
#ifndef __stdcall
#define __stdcall
#endif
#endif
