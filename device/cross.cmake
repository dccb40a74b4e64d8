# What the cross toolchain files share.

# The compilers and strip named by PREFIX (mipsel-linux-gnu-, a kit's
# /opt/kit/bin/mipsel-openwrt-linux-musl-, or empty for this machine's).
macro(use_compilers prefix)
  set(CMAKE_C_COMPILER ${prefix}gcc)
  set(CMAKE_CXX_COMPILER ${prefix}g++)
  set(CMAKE_STRIP ${prefix}strip CACHE FILEPATH "strip for the target")
endmacro()

# A Linux target with Debian's cross sysroot for TRIPLE: libraries and headers
# come from it, and programs start through qemu-user (QEMU), with the target's
# shared libraries found by -L.
macro(debian_cross triple qemu)
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_FIND_ROOT_PATH /usr/${triple})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${qemu} -L /usr/${triple})
endmacro()
