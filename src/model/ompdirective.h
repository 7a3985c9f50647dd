// OpenMP directives written so that they vanish where the compiler has no OpenMP: the sums
// then run on one thread.
#pragma once

#if defined(_OPENMP)
#define VELTRA_OMP(directive) _Pragma(directive)
#else
#define VELTRA_OMP(directive)
#endif
