# MIPS32r2 little-endian routers, soft-float, on uClibc-ng, the C library the
# device family ships. Otherwise as mipsel.cmake.
set(device_libc uclibc)
include(${CMAKE_CURRENT_LIST_DIR}/mipsel.cmake)
