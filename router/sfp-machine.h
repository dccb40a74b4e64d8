/* glibc's soft-fp routines for 32-bit MIPS without an FPU, as the router's
   busybox links them: glibc's description of MIPS numbers, round to nearest,
   no exception flags (there is no FPU to keep them). */
#include <endian.h>
#include "mips32-sfp-machine.h"
#define strong_alias(name, aliasname) \
  extern __typeof(name) aliasname __attribute__((alias(#name)));
