# Cross build for mipsel with Debian's mipsel-linux-gnu toolchain; tests run under qemu-mipsel.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mipsel)
set(cross_triple mipsel-linux-gnu)
set(cross_qemu qemu-mipsel)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
