// Stand-in addition to Wine's <corecrt.h> for the MSVC-mode compile check: the Windows C runtime's
// multibyte conversion state, a struct that the standard library names as _Mbstatet.
#pragma once

#include_next <corecrt.h>

#ifdef __cplusplus
extern "C" {
#endif
typedef struct _Mbstatet {
    unsigned long _Wchar;
    unsigned short _Byte;
    unsigned short _State;
} _Mbstatet;
#ifdef __cplusplus
}
#endif
