# What every device toolchain file does: the programs are static, linked
# against a small C library, and need nothing from the C++ runtime library.
# The file that includes this one sets device_target to its facts:
#   TARGET     the target's name (mipsel, arm, ...)
#   TRIPLE     Debian's cross compiler for it; none for this machine
#   QEMU       qemu-user for the target; none for this machine
#   CPU        the qemu CPU model the programs are tested on (one without FPU
#              where the family has such cores)
#   TESTS_CPU  the qemu CPU model for the test programs, which use Debian's
#              glibc and C++ runtime for the target
#   FLAGS      code generation for the device (float ABI, instruction set)
# and device_libc to uclibc for uClibc-ng (musl otherwise).
#
# The C library is built from the pinned Debian sources by device/build-libc.sh
# (kept in build/libc/<libc>-<target>), the one step of the build that runs at
# configure time, unless CGI_DEVICE_SYSROOT names one that exists already, such
# as a firmware kit's: with CGI_DEVICE_CROSS, the prefix of the kit's compiler,
# the build then uses the kit's toolchain.
#
# The C language of the build is the device's C library: C compiles against
# its headers and links against it, and the programs are linked as C. The
# product's C++ sources get the same headers plus the header-only part of
# libstdc++ (CGI_DEVICE_CXX_FLAGS). The tests keep the compiler's default C
# and C++ libraries, since GoogleTest needs the whole C++ runtime.
cmake_parse_arguments(device "" "TARGET;TRIPLE;QEMU;CPU;TESTS_CPU" "FLAGS" ${device_target})
set(device_target ${device_TARGET})
set(CGI_DEVICE_SYSROOT "" CACHE PATH
    "An existing static musl or uClibc for the target (include/ and lib/, or usr/include and usr/lib); empty: build one")
set(CGI_DEVICE_CROSS "" CACHE STRING
    "Prefix of an existing cross compiler, e.g. /opt/kit/bin/mipsel-openwrt-linux-musl-; empty: Debian's")
# try_compile projects read this file again: they must see the same choices,
# and the C library already built.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CGI_DEVICE_SYSROOT CGI_DEVICE_CROSS
     device_built_sysroot)
if(NOT device_libc)
  set(device_libc musl)
endif()

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

get_filename_component(source_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
string(JOIN " " device_flags_text ${device_FLAGS})
if(CGI_DEVICE_SYSROOT)
  set(sysroot "${CGI_DEVICE_SYSROOT}")
  if(NOT EXISTS "${sysroot}/lib/libc.a" AND EXISTS "${sysroot}/usr/lib/libc.a")
    set(sysroot "${sysroot}/usr")
  endif()
  if(EXISTS "${sysroot}/include/bits/uClibc_config.h")
    set(device_libc uclibc)
  elseif(EXISTS "${sysroot}/include/bits/alltypes.h")
    set(device_libc musl)
  else()
    message(FATAL_ERROR "${CGI_DEVICE_SYSROOT} holds neither musl nor uClibc headers")
  endif()
elseif(device_built_sysroot)
  set(sysroot "${device_built_sysroot}")
else()
  set(sysroot "${source_root}/build/libc/${device_libc}-${device_target}")
  # At once when the library is built and made from what it is made from now.
  execute_process(COMMAND "${source_root}/device/build-libc.sh" ${device_libc} ${device_target}
                          ${CMAKE_C_COMPILER} "${device_flags_text}"
                  RESULT_VARIABLE libc_result)
  if(NOT libc_result EQUAL 0)
    message(FATAL_ERROR "could not build ${device_libc} for ${device_target}")
  endif()
  set(device_built_sysroot "${sysroot}")
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
