# x86-64 NAS boxes and PCs used as routers: this machine's compiler, musl
# instead of glibc. Tested natively.
set(device_target TARGET x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/../toolchain.cmake)
