# Cross build for mips with Debian's mips-linux-gnu toolchain; tests run under qemu-mips.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)
set(cross_triple mips-linux-gnu)
set(cross_qemu qemu-mips)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
