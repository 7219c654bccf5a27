// Stand-in for the Visual C++ runtime's base header, for the MSVC-mode compile check only: the
// macros and types that Microsoft's standard library headers expect from it, over Wine's C
// runtime headers.
#pragma once

#include <corecrt.h>
#include <vadefs.h>

#ifndef _HAS_EXCEPTIONS
#define _HAS_EXCEPTIONS 1
#endif

#define _CRT_PACKING 8
#define _CRT_STRINGIZE_(x) #x
#define _CRT_STRINGIZE(x) _CRT_STRINGIZE_(x)
#define _CRT_WIDE_(s) L##s
#define _CRT_WIDE(s) _CRT_WIDE_(s)
#define _CRT_CONCATENATE_(a, b) a##b
#define _CRT_CONCATENATE(a, b) _CRT_CONCATENATE_(a, b)
#define _CRT_UNPARENTHESIZE_(...) __VA_ARGS__
#define _CRT_UNPARENTHESIZE(...) _CRT_UNPARENTHESIZE_ __VA_ARGS__

#ifndef _VCRTIMP
#define _VCRTIMP __declspec(dllimport)
#endif
#ifndef _CRTIMP
#define _CRTIMP __declspec(dllimport)
#endif
#define _VCRT_NOALIAS __declspec(noalias)
#define _VCRT_RESTRICT __declspec(restrict)
#define _VCRT_ALLOCATOR __declspec(allocator)
#define _CRTRESTRICT __declspec(restrict)
#define _CRTALLOCATOR __declspec(allocator)
#define _CRT_HYBRIDPATCHABLE
#define _CRT_GUARDOVERFLOW
#define _CRT_ALIGN(x) __declspec(align(x))

#define _CRT_UNUSED(x) (void)x

#ifndef _CRT_DEPRECATE_TEXT
#define _CRT_DEPRECATE_TEXT(text) __declspec(deprecated(text))
#endif
#ifndef _CRT_INSECURE_DEPRECATE
#ifdef _CRT_SECURE_NO_WARNINGS
#define _CRT_INSECURE_DEPRECATE(replacement)
#else
#define _CRT_INSECURE_DEPRECATE(replacement)                                                    \
    _CRT_DEPRECATE_TEXT("This function or variable may be unsafe. Consider using " #replacement \
                        " instead.")
#endif
#endif

#define _VCRT_BEGIN_C_HEADER __pragma(pack(push, _CRT_PACKING)) extern "C" {
#define _VCRT_END_C_HEADER \
    }                      \
    __pragma(pack(pop))
#ifndef _CRT_BEGIN_C_HEADER
#define _CRT_BEGIN_C_HEADER _VCRT_BEGIN_C_HEADER
#define _CRT_END_C_HEADER _VCRT_END_C_HEADER
#endif

#ifndef _CONST_RETURN
#define _CONST_RETURN const
#define _CRT_CONST_CORRECT_OVERLOADS
#endif

typedef bool __vcrt_bool;

// The library is linked statically in this check's model of the build (/MT): no import markers.
#ifndef _CRTIMP2
#define _CRTIMP2
#endif
#ifndef _MRTIMP2
#define _MRTIMP2
#endif

extern "C" {
// Ends the program after an invalid parameter; the library calls it where it cannot continue.
__declspec(noreturn) void __cdecl _invoke_watson(const wchar_t* expression, const wchar_t* function,
                                                 const wchar_t* file, unsigned int line,
                                                 uintptr_t reserved);
}

#ifndef _HAS_NODISCARD
#define _HAS_NODISCARD 1
#endif
#if _HAS_NODISCARD
#define _NODISCARD [[nodiscard]]
#else
#define _NODISCARD
#endif

// Calling-convention spellings for code that may also be compiled for the CLR.
#define __CLR_OR_THIS_CALL
#define __CLRCALL_OR_CDECL __cdecl
#define __CLRCALL_PURE_OR_CDECL __cdecl

#define __CRTDECL __cdecl

// Import markers of the library's satellite DLLs; empty when it is linked statically.
#define _CRT_SATELLITE_1
#define _CRT_SATELLITE_2
#define _CRT_SATELLITE_CODECVT_IDS
#define _CRT_SATELLITE_CODECVT_IDS_NOIMPORT

// The language standard in force, from /std:c++NN.
#ifndef _HAS_CXX17
#if _MSVC_LANG > 201402L
#define _HAS_CXX17 1
#else
#define _HAS_CXX17 0
#endif
#endif
#ifndef _HAS_CXX20
#if _HAS_CXX17 && _MSVC_LANG > 201703L
#define _HAS_CXX20 1
#else
#define _HAS_CXX20 0
#endif
#endif
#ifndef _HAS_CXX23
#if _HAS_CXX20 && _MSVC_LANG > 202002L
#define _HAS_CXX23 1
#else
#define _HAS_CXX23 0
#endif
#endif

// Marks functions that MSVC evaluates in constant expressions as an extension; empty where the
// compiler does not know the attribute.
#ifndef _MSVC_CONSTEXPR
#if defined(__has_cpp_attribute) && __has_cpp_attribute(msvc::constexpr)
#define _MSVC_CONSTEXPR [[msvc::constexpr]]
#else
#define _MSVC_CONSTEXPR
#endif
#endif

// Process-global data under the CLR; nothing in native code.
#define _PGLOBAL
