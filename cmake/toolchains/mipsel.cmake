# MIPS32r2 little-endian routers, soft-float: the programs run on cores
# without an FPU (24Kc, 4KEc, 74Kc without FPU...) and kernels without an FPU
# emulator. Tested under qemu-mipsel -cpu 24Kc.
set(device_target mipsel)
set(cross_triple mipsel-linux-gnu)
set(device_flags -msoft-float -march=mips32r2)
set(device_cpu 24Kc)
set(cross_qemu qemu-mipsel)
# Debian's C++ runtime for MIPS is hard-float: its test programs need an FPU.
set(tests_cpu 24Kf)
set(CMAKE_SYSTEM_PROCESSOR mipsel)
include(${CMAKE_CURRENT_LIST_DIR}/device.cmake)
