# 64-bit ARM routers and NAS boxes (ARMv8-A: floating point is always there).
# Tested under qemu-aarch64.
set(device_target TARGET aarch64 TRIPLE aarch64-linux-gnu QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/../toolchain.cmake)
