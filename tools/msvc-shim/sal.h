// Stand-in addition to Wine's <sal.h> for the MSVC-mode compile check: the source annotations that
// Microsoft's standard library headers use and Wine's header does not define. They annotate for
// the code analyser only; to a compiler each is empty.
#pragma once

#include_next <sal.h>

#ifndef _Analysis_assume_
#define _Analysis_assume_(expr)
#endif
#ifndef _Check_return_opt_
#define _Check_return_opt_
#endif
#ifndef _Field_z_
#define _Field_z_
#endif
#ifndef _Guarded_by_
#define _Guarded_by_(lock)
#endif
#ifndef _Pre_satisfies_
#define _Pre_satisfies_(cond)
#endif
