// Stand-in addition to Wine's <stdio.h> for the MSVC-mode compile check: the C99 scanf family that
// takes a va_list, which the Windows C runtime declares and Wine's header leaves out.
#pragma once

#include_next <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif
int __cdecl vfscanf(FILE* stream, const char* format, va_list args);
int __cdecl vscanf(const char* format, va_list args);
int __cdecl vsscanf(const char* buffer, const char* format, va_list args);
#ifdef __cplusplus
}
#endif
