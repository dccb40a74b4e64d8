# x86-64 NAS boxes and PCs used as routers: this machine's compiler, musl
# instead of glibc. Tested natively.
set(device_target x86_64)
set(cross_triple "")
set(device_flags "")
set(device_cpu "")
set(cross_qemu "")
set(tests_cpu "")
include(${CMAKE_CURRENT_LIST_DIR}/device.cmake)
