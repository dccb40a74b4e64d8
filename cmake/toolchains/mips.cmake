# MIPS32r2 big-endian routers, soft-float. Tested under qemu-mips -cpu 24Kc.
set(device_target mips)
set(cross_triple mips-linux-gnu)
set(device_flags -msoft-float -march=mips32r2)
set(device_cpu 24Kc)
set(cross_qemu qemu-mips)
# Debian's C++ runtime for MIPS is hard-float: its test programs need an FPU.
set(tests_cpu 24Kf)
set(CMAKE_SYSTEM_PROCESSOR mips)
include(${CMAKE_CURRENT_LIST_DIR}/device.cmake)
