# MIPS32r2 big-endian routers, soft-float. Tested under qemu-mips -cpu 24Kc;
# the test programs, on Debian's hard-float runtime, under 24Kf.
set(device_target TARGET mips TRIPLE mips-linux-gnu QEMU qemu-mips CPU 24Kc TESTS_CPU 24Kf
    FLAGS -msoft-float -march=mips32r2)
include(${CMAKE_CURRENT_LIST_DIR}/../toolchain.cmake)
