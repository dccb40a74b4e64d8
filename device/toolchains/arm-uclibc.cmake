# 32-bit ARM routers and NAS boxes, ARMv5TE and later, soft-float, on
# uClibc-ng, the C library the device family ships. Otherwise as arm.cmake.
set(device_libc uclibc)
include(${CMAKE_CURRENT_LIST_DIR}/arm.cmake)
