# Development: ARMv7 hard-float with Debian's arm-linux-gnueabihf toolchain
# and glibc; tests run under qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR arm)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
use_compilers(arm-linux-gnueabihf-)
debian_cross(arm-linux-gnueabihf qemu-arm)
