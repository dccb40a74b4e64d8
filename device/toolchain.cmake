# A device build: the programs are static, linked against a small C library,
# and need nothing from the C++ runtime library. CGI_DEVICE_TARGET names a
# target of device/targets, which holds its facts (C library, cross
# compiler, qemu and CPU models, code flags, feed architecture); CGI_DEVICE_SYSROOT names its C
# library, static musl or uClibc (include/ and lib/, or usr/include and
# usr/lib): device/sysroot.sh TARGET builds one and prints its path, and a
# firmware kit's serves as well. CGI_DEVICE_CROSS, the prefix of the kit's
# compiler, replaces Debian's cross compiler. Configuring builds nothing.
#
# The C language of the build is the device's C library: C compiles against
# its headers and links against it, and the programs are linked as C. The
# product's C++ sources get the same headers plus the header-only part of
# libstdc++ (CGI_DEVICE_CXX_FLAGS). The tests keep the compiler's default C
# and C++ libraries, since GoogleTest needs the whole C++ runtime.
set(CGI_DEVICE_TARGET "" CACHE STRING "The device target: a target of device/targets")
set(CGI_DEVICE_SYSROOT "" CACHE PATH
    "The target's static musl or uClibc (device/sysroot.sh TARGET builds one and prints its path)")
set(CGI_DEVICE_CROSS "" CACHE STRING
    "Prefix of an existing cross compiler, e.g. /opt/kit/bin/mipsel-openwrt-linux-musl-; empty: Debian's")
# try_compile projects read this file again: they must see the same choices.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CGI_DEVICE_TARGET CGI_DEVICE_SYSROOT CGI_DEVICE_CROSS)

include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)
device_target_facts("${CGI_DEVICE_TARGET}" device)
if(NOT device_FOUND)
  message(FATAL_ERROR "CGI_DEVICE_TARGET must name a target of device/targets, not '${CGI_DEVICE_TARGET}'")
endif()
set(device_TRIPLE "${device_CROSS}")
string(REGEX REPLACE "-.*" "" device_target "${CGI_DEVICE_TARGET}")

include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
if(CGI_DEVICE_CROSS)
  use_compilers("${CGI_DEVICE_CROSS}")
elseif(device_TRIPLE)
  use_compilers(${device_TRIPLE}-)
else()
  use_compilers("")
endif()
if(device_TRIPLE)
  set(CMAKE_SYSTEM_PROCESSOR ${device_target})
  debian_cross(${device_TRIPLE} ${device_QEMU})
endif()

set(sysroot "${CGI_DEVICE_SYSROOT}")
if(NOT EXISTS "${sysroot}/lib/libc.a" AND EXISTS "${sysroot}/usr/lib/libc.a")
  set(sysroot "${sysroot}/usr")
endif()
if(NOT EXISTS "${sysroot}/lib/libc.a")
  message(FATAL_ERROR "No C library for ${CGI_DEVICE_TARGET} in '${CGI_DEVICE_SYSROOT}'. "
          "device/sysroot.sh ${CGI_DEVICE_TARGET} builds one and prints the path to give as "
          "CGI_DEVICE_SYSROOT (the preset's build/sysroot/${CGI_DEVICE_TARGET}).")
endif()
if(EXISTS "${sysroot}/include/bits/uClibc_config.h")
  set(device_libc uclibc)
elseif(EXISTS "${sysroot}/include/bits/alltypes.h")
  set(device_libc musl)
else()
  message(FATAL_ERROR "${CGI_DEVICE_SYSROOT} holds neither musl nor uClibc headers")
endif()
foreach(file lib/crt1.o lib/crti.o lib/crtn.o lib/libc.a include/stdio.h)
  if(NOT EXISTS "${sysroot}/${file}")
    message(FATAL_ERROR "the C library in ${sysroot} has no ${file}")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=include
                OUTPUT_VARIABLE gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-libgcc-file-name ${device_FLAGS}
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
# libstdc++'s header folders, in the compiler's own order.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -xc++ -E -v /dev/null
                OUTPUT_QUIET ERROR_VARIABLE search_output)
string(REGEX MATCHALL "\n [^\n]*/c\\+\\+/[^\n]*" libstdcxx_dirs "${search_output}")
list(TRANSFORM libstdcxx_dirs STRIP)

# Joined forms: CMake drops a repeated option such as a second -isystem.
set(device_c_flags -nostdinc -isystem${sysroot}/include -isystem${gcc_include} -fno-pie
    ${device_FLAGS})
string(JOIN " " CMAKE_C_FLAGS_INIT ${device_c_flags})

# uClibc's signal() on ARM carries an unwind table entry that names a C++
# personality routine. libgcc_eh would satisfy it with 38 VFP instructions;
# nothing in the programs ever unwinds, so a stub of our own does.
set(extra_objects "")
if(device_libc STREQUAL "uclibc" AND device_target MATCHES "^arm")
  set(no_unwind "${CMAKE_BINARY_DIR}/arm-no-unwind.o")
  if(NOT EXISTS "${no_unwind}")
    execute_process(COMMAND ${CMAKE_C_COMPILER} ${device_c_flags} -Os -c
                            "${CMAKE_CURRENT_LIST_DIR}/libc/arm-no-unwind.c" -o "${no_unwind}"
                    RESULT_VARIABLE stub_result)
    if(NOT stub_result EQUAL 0)
      message(FATAL_ERROR "could not compile ${CMAKE_CURRENT_LIST_DIR}/libc/arm-no-unwind.c")
    endif()
  endif()
  set(extra_objects "${no_unwind}")
endif()

# Static, not position-independent. A static program never applies RELRO,
# and on AArch64 its 64 KiB alignment would double the file.
set(CMAKE_C_LINK_EXECUTABLE
    "<CMAKE_C_COMPILER> <FLAGS> <CMAKE_C_LINK_FLAGS> <LINK_FLAGS> -static -no-pie -nostdlib \
-Wl,-z,norelro ${sysroot}/lib/crt1.o ${sysroot}/lib/crti.o <OBJECTS> ${extra_objects} -o <TARGET> \
<LINK_LIBRARIES> -Wl,--start-group ${sysroot}/lib/libc.a ${libgcc} -Wl,--end-group \
${sysroot}/lib/crtn.o")

set(libstdcxx_include_flags)
foreach(dir ${libstdcxx_dirs})
  list(APPEND libstdcxx_include_flags -isystem${dir})
endforeach()
# libstdc++'s headers come first: they include the C library's behind them.
# The product is compiled for size: the devices have a few MB of flash.
set(CGI_DEVICE_CXX_FLAGS -nostdinc ${libstdcxx_include_flags} ${device_c_flags}
    "SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/libc/libstdcxx-on-${device_libc}.h" -Os)
set(CGI_DEVICE_LIBC ${device_libc})
set(CGI_DEVICE_SYSROOT_USED "${sysroot}")
# musl's offsets and inode numbers are always 64 bits wide; uClibc's are with
# _FILE_OFFSET_BITS=64, when it was built with large-file support at all.
set(CGI_DEVICE_LARGE_FILES OFF)
if(device_libc STREQUAL "uclibc")
  file(STRINGS "${sysroot}/include/bits/uClibc_config.h" uclibc_lfs
       REGEX "^#define __UCLIBC_HAS_LFS__ 1")
  if(uclibc_lfs)
    set(CGI_DEVICE_LARGE_FILES ON)
  endif()
endif()

set(CGI_DEVICE_CPU "${device_CPU}" CACHE STRING "qemu CPU model the device programs are tested on")
if(device_QEMU)
  set(CGI_DEVICE_EMULATOR ${device_QEMU})
  if(CGI_DEVICE_CPU)
    list(APPEND CGI_DEVICE_EMULATOR -cpu ${CGI_DEVICE_CPU})
  endif()
  set(CGI_TESTS_CPU "${device_TESTS_CPU}" CACHE STRING "qemu CPU model the test programs run on")
  if(CGI_TESTS_CPU)
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${CGI_TESTS_CPU})
  endif()
endif()
