// Stand-in addition to Wine's <math.h> for the MSVC-mode compile check: the long-double functions
// of C99 (on Windows long double is double, so each forwards to the double one), and the
// classification functions as C++ overloads, where Wine's header has macros that the standard
// library's <cmath> cannot name.
#pragma once

#include_next <math.h>

#ifdef __cplusplus
extern "C" {
#endif
typedef float float_t;
typedef double double_t;
double __cdecl erfc(double x);
float __cdecl erfcf(float x);
double __cdecl fma(double x, double y, double z);
float __cdecl fmaf(float x, float y, float z);
double __cdecl nan(const char* tag);
float __cdecl nanf(const char* tag);
double __cdecl nexttoward(double x, long double y);
float __cdecl nexttowardf(float x, long double y);
#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#undef fpclassify
#undef signbit
#undef isinf
#undef isnan
#undef isnormal
#undef isfinite

extern "C++" {
#define WL_LD_UNARY(f)                                \
    inline long double f##l(long double x) {          \
        return __builtin_##f(static_cast<double>(x)); \
    }
#define WL_LD_BINARY(f)                                                       \
    inline long double f##l(long double x, long double y) {                   \
        return __builtin_##f(static_cast<double>(x), static_cast<double>(y)); \
    }
WL_LD_UNARY(acos)
WL_LD_UNARY(acosh)
WL_LD_UNARY(asin)
WL_LD_UNARY(asinh)
WL_LD_UNARY(atan)
WL_LD_UNARY(atanh)
WL_LD_UNARY(cbrt)
WL_LD_UNARY(ceil)
WL_LD_UNARY(cos)
WL_LD_UNARY(cosh)
WL_LD_UNARY(erf)
WL_LD_UNARY(erfc)
WL_LD_UNARY(exp)
WL_LD_UNARY(exp2)
WL_LD_UNARY(expm1)
WL_LD_UNARY(fabs)
WL_LD_UNARY(floor)
WL_LD_UNARY(lgamma)
WL_LD_UNARY(log)
WL_LD_UNARY(log10)
WL_LD_UNARY(log1p)
WL_LD_UNARY(log2)
WL_LD_UNARY(logb)
WL_LD_UNARY(nearbyint)
WL_LD_UNARY(rint)
WL_LD_UNARY(round)
WL_LD_UNARY(sin)
WL_LD_UNARY(sinh)
WL_LD_UNARY(sqrt)
WL_LD_UNARY(tan)
WL_LD_UNARY(tanh)
WL_LD_UNARY(tgamma)
WL_LD_UNARY(trunc)
WL_LD_BINARY(atan2)
WL_LD_BINARY(copysign)
WL_LD_BINARY(fdim)
WL_LD_BINARY(fmax)
WL_LD_BINARY(fmin)
WL_LD_BINARY(fmod)
WL_LD_BINARY(hypot)
WL_LD_BINARY(nextafter)
WL_LD_BINARY(pow)
WL_LD_BINARY(remainder)
#undef WL_LD_UNARY
#undef WL_LD_BINARY
inline long double fmal(long double x, long double y, long double z) {
    return __builtin_fma(static_cast<double>(x), static_cast<double>(y), static_cast<double>(z));
}
inline long double frexpl(long double x, int* e) {
    return frexp(static_cast<double>(x), e);
}
inline long double ldexpl(long double x, int e) {
    return ldexp(static_cast<double>(x), e);
}
inline long double modfl(long double x, long double* i) {
    double whole = 0;
    const double fraction = modf(static_cast<double>(x), &whole);
    *i = whole;
    return fraction;
}
inline long double remquol(long double x, long double y, int* q) {
    return remquo(static_cast<double>(x), static_cast<double>(y), q);
}
inline long double scalbnl(long double x, int e) {
    return scalbn(static_cast<double>(x), e);
}
inline long double scalblnl(long double x, long e) {
    return scalbln(static_cast<double>(x), e);
}
inline long double nexttowardl(long double x, long double y) {
    return nextafter(static_cast<double>(x), static_cast<double>(y));
}
inline long double nanl(const char* tag) {
    return __builtin_nan(tag);
}
inline int ilogbl(long double x) {
    return ilogb(static_cast<double>(x));
}
inline long lrintl(long double x) {
    return lrint(static_cast<double>(x));
}
inline long lroundl(long double x) {
    return lround(static_cast<double>(x));
}
inline long long llrintl(long double x) {
    return llrint(static_cast<double>(x));
}
inline long long llroundl(long double x) {
    return llround(static_cast<double>(x));
}

inline int fpclassify(float x) {
    return __builtin_fpclassify(FP_NAN, FP_INFINITE, FP_NORMAL, FP_SUBNORMAL, FP_ZERO, x);
}
inline int fpclassify(double x) {
    return __builtin_fpclassify(FP_NAN, FP_INFINITE, FP_NORMAL, FP_SUBNORMAL, FP_ZERO, x);
}
inline int fpclassify(long double x) {
    return fpclassify(static_cast<double>(x));
}
inline bool signbit(float x) {
    return __builtin_signbit(x) != 0;
}
inline bool signbit(double x) {
    return __builtin_signbit(x) != 0;
}
inline bool signbit(long double x) {
    return signbit(static_cast<double>(x));
}
}
#endif
