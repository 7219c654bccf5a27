// Stand-in addition to Wine's <string.h> for the MSVC-mode compile check: the Windows C runtime's
// <string.h> makes errno and its codes visible, and code relies on that.
#pragma once

#include <errno.h>
#include_next <string.h>
