# 64-bit ARM routers and NAS boxes (ARMv8-A: floating point is always there).
# Tested under qemu-aarch64.
set(device_target aarch64)
set(cross_triple aarch64-linux-gnu)
set(device_flags "")
set(device_cpu "")
set(cross_qemu qemu-aarch64)
set(tests_cpu "")
set(CMAKE_SYSTEM_PROCESSOR aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/device.cmake)
