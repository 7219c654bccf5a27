// Stand-in addition to Wine's <time.h> for the MSVC-mode compile check: C11's timespec and
// timespec_get, which the Windows C runtime declares here.
#pragma once

#include_next <time.h>

#ifdef __cplusplus
extern "C" {
#endif
#ifndef TIME_UTC
#define TIME_UTC 1
#endif
struct timespec {
    time_t tv_sec;
    long tv_nsec;
};
int __cdecl timespec_get(struct timespec* now, int base);
#ifdef __cplusplus
}
#endif
