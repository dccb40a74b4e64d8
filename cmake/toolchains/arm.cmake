# 32-bit ARM routers and NAS boxes, ARMv5TE and later, soft-float: one build
# serves ARMv7 with or without VFP. Tested under
# qemu-arm -cpu cortex-a9,vfp=off,neon=off (Debian's armel runtime, which the
# test programs use, is soft-float too).
set(device_target arm)
set(cross_triple arm-linux-gnueabi)
set(device_flags -march=armv5te -mfloat-abi=soft -marm)
set(device_cpu cortex-a9,vfp=off,neon=off)
set(cross_qemu qemu-arm)
set(tests_cpu ${device_cpu})
set(CMAKE_SYSTEM_PROCESSOR arm)
include(${CMAKE_CURRENT_LIST_DIR}/device.cmake)
