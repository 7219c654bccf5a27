// Stand-in addition to Wine's <wchar.h> for the MSVC-mode compile check. The Windows C runtime's
// conversion state is a struct (_Mbstatet, which the standard library names), not Wine's int: the
// functions that take it are declared here with the struct, Wine's own declarations renamed away.
// Also the C99 wide functions Wine's header leaves out.
#pragma once

#define mbstate_t wl_wine_mbstate_t
#define mbrlen wl_wine_mbrlen
#define mbrtowc wl_wine_mbrtowc
#define mbsrtowcs wl_wine_mbsrtowcs
#define wcrtomb wl_wine_wcrtomb
#define wcsrtombs wl_wine_wcsrtombs
#include_next <wchar.h>
#undef mbstate_t
#undef mbrlen
#undef mbrtowc
#undef mbsrtowcs
#undef wcrtomb
#undef wcsrtombs

#ifdef __cplusplus
extern "C" {
#endif
typedef _Mbstatet mbstate_t;

size_t __cdecl mbrlen(const char* s, size_t n, mbstate_t* state);
size_t __cdecl mbrtowc(wchar_t* out, const char* s, size_t n, mbstate_t* state);
size_t __cdecl mbsrtowcs(wchar_t* out, const char** s, size_t n, mbstate_t* state);
size_t __cdecl wcrtomb(char* out, wchar_t c, mbstate_t* state);
size_t __cdecl wcsrtombs(char* out, const wchar_t** s, size_t n, mbstate_t* state);
int __cdecl mbsinit(const mbstate_t* state);
int __cdecl fwide(FILE* stream, int mode);
int __cdecl vfwscanf(FILE* stream, const wchar_t* format, va_list args);
int __cdecl vswscanf(const wchar_t* buffer, const wchar_t* format, va_list args);
int __cdecl vwscanf(const wchar_t* format, va_list args);
long double __cdecl wcstold(const wchar_t* s, wchar_t** end);
#ifdef __cplusplus
}
#endif
