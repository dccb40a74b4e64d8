/* libstdc++'s headers ask the C library's version with glibc's own macro,
   which musl does not define: no glibc-only feature is assumed. */
#ifndef __GLIBC_PREREQ
#define __GLIBC_PREREQ(major, minor) 0
#endif
