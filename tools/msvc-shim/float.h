// Stand-in addition to Wine's <float.h> for the MSVC-mode compile check: the C11 smallest
// subnormal values, which the standard library's <limits> names.
#pragma once

#include_next <float.h>

#ifndef FLT_TRUE_MIN
#define FLT_TRUE_MIN __FLT_DENORM_MIN__
#endif
#ifndef DBL_TRUE_MIN
#define DBL_TRUE_MIN __DBL_DENORM_MIN__
#endif
#ifndef LDBL_TRUE_MIN
#define LDBL_TRUE_MIN __LDBL_DENORM_MIN__
#endif
