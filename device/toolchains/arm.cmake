# 32-bit ARM routers and NAS boxes, ARMv5TE and later, soft-float: one build
# serves ARMv7 with or without VFP. Tested under
# qemu-arm -cpu cortex-a9,vfp=off,neon=off (Debian's armel runtime, which the
# test programs use, is soft-float too).
set(device_target TARGET arm TRIPLE arm-linux-gnueabi QEMU qemu-arm CPU cortex-a9,vfp=off,neon=off
    TESTS_CPU cortex-a9,vfp=off,neon=off FLAGS -march=armv5te -mfloat-abi=soft -marm)
include(${CMAKE_CURRENT_LIST_DIR}/../toolchain.cmake)
