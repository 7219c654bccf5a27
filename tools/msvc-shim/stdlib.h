// Stand-in addition to Wine's <stdlib.h> for the MSVC-mode compile check: quick_exit and
// at_quick_exit, which the Windows C runtime declares here, and its C++ overloads of abs and div
// for long and long long.
#pragma once

#include_next <stdlib.h>

#ifdef __cplusplus
extern "C" {
#endif
int __cdecl at_quick_exit(void(__cdecl* handler)(void));
__declspec(noreturn) void __cdecl quick_exit(int status);
#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
extern "C++" {
inline long abs(long x) noexcept {
    return labs(x);
}
inline long long abs(long long x) noexcept {
    return llabs(x);
}
inline ldiv_t div(long x, long y) noexcept {
    return ldiv(x, y);
}
inline lldiv_t div(long long x, long long y) noexcept {
    return lldiv(x, y);
}
}
#endif
