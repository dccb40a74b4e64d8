# MIPS32r2 little-endian routers, soft-float: the programs run on cores
# without an FPU (24Kc, 4KEc, 74Kc without FPU...) and kernels without an FPU
# emulator. Tested under qemu-mipsel -cpu 24Kc; Debian's C++ runtime for MIPS
# is hard-float, so the test programs themselves need an FPU (24Kf).
set(device_target TARGET mipsel TRIPLE mipsel-linux-gnu QEMU qemu-mipsel CPU 24Kc TESTS_CPU 24Kf
    FLAGS -msoft-float -march=mips32r2)
include(${CMAKE_CURRENT_LIST_DIR}/../toolchain.cmake)
