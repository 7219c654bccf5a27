// Portability shims so the SDK headers build with MSVC, MinGW, GCC and Clang alike.
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
