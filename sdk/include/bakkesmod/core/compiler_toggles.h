// Language-level switches of the SDK: whether the compiler offers C++20, and the macros that give
// a type defaulted comparison operators only there (empty before C++20).
#pragma once

#ifndef BM_CPP20_SUPPORT
#if __cplusplus >= 202002L || (defined(_MSVC_LANG) && _MSVC_LANG >= 202002L)
#define BM_CPP20_SUPPORT
#elif defined(__cpp_concepts) && __cpp_concepts >= 201907L
#define BM_CPP20_SUPPORT
#endif
#endif

#ifdef BM_CPP20_SUPPORT
#define DEFAULTEQUALITY(type) bool operator==(const type&) const = default;
#define DEFAULTCOMPARE(type) auto operator<=>(const type&) const = default;
#else
#define DEFAULTEQUALITY(type)
#define DEFAULTCOMPARE(type)
#endif
