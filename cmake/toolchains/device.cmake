# Shared part of the device toolchain files: the programs are static, linked
# against musl (built from Debian's musl source package by
# scripts/build-musl.sh, cached in build/musl/<target>), and need nothing from
# the C++ runtime library. The file that includes this one sets:
#   device_target    the musl build's name (mipsel, arm, ...)
#   cross_triple     the Debian cross compiler's prefix, empty for this machine
#   device_flags     code generation for the device (float ABI, instruction set)
#   device_cpu       the qemu CPU model the programs are tested on (one
#                    without FPU where the family has such cores)
#   cross_qemu       qemu-user for the target, empty for this machine
#   tests_cpu        the qemu CPU model for the test programs, which use
#                    Debian's glibc and C++ runtime for the target
#
# The C language of the build is the device's C library: C compiles against
# musl's headers and links against musl, and the programs are linked as C.
# The product's C++ sources get the same headers plus the header-only part of
# libstdc++ (CGI_DEVICE_CXX_FLAGS). The tests keep Debian's default C and C++
# libraries, since GoogleTest needs the whole C++ runtime.
if(cross_triple)
  set(CMAKE_SYSTEM_NAME Linux)
  set(tool_prefix ${cross_triple}-)
  set(CMAKE_FIND_ROOT_PATH /usr/${cross_triple})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
else()
  set(tool_prefix "")
endif()
set(CMAKE_C_COMPILER ${tool_prefix}gcc)
set(CMAKE_CXX_COMPILER ${tool_prefix}g++)
set(CMAKE_STRIP ${tool_prefix}strip CACHE FILEPATH "strip for the target")

get_filename_component(source_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
set(musl "${source_root}/build/musl/${device_target}")
if(NOT EXISTS "${musl}/lib/libc.a")
  string(JOIN " " musl_flags ${device_flags})
  execute_process(COMMAND "${source_root}/scripts/build-musl.sh" ${device_target}
                          ${CMAKE_C_COMPILER} "${musl_flags}"
                  RESULT_VARIABLE musl_result)
  if(NOT musl_result EQUAL 0)
    message(FATAL_ERROR "could not build musl for ${device_target}")
  endif()
endif()

execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=include
                OUTPUT_VARIABLE gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-libgcc-file-name
                OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
# libstdc++'s header folders, in the compiler's own order.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -xc++ -E -v /dev/null
                OUTPUT_QUIET ERROR_VARIABLE search_output)
string(REGEX MATCHALL "\n [^\n]*/c\\+\\+/[^\n]*" libstdcxx_dirs "${search_output}")
list(TRANSFORM libstdcxx_dirs STRIP)

# Joined forms: CMake drops a repeated option such as a second -isystem.
set(device_c_flags -nostdinc -isystem${musl}/include -isystem${gcc_include} -fno-pie
    ${device_flags})
string(JOIN " " CMAKE_C_FLAGS_INIT ${device_c_flags})
# Static, not position-independent. A static musl program never applies
# RELRO, and on AArch64 its 64 KiB alignment would double the file.
set(CMAKE_C_LINK_EXECUTABLE
    "<CMAKE_C_COMPILER> <FLAGS> <CMAKE_C_LINK_FLAGS> <LINK_FLAGS> -static -no-pie -nostdlib \
-Wl,-z,norelro ${musl}/lib/crt1.o ${musl}/lib/crti.o <OBJECTS> -o <TARGET> <LINK_LIBRARIES> \
-Wl,--start-group ${musl}/lib/libc.a ${libgcc} -Wl,--end-group ${musl}/lib/crtn.o")

set(libstdcxx_include_flags)
foreach(dir ${libstdcxx_dirs})
  list(APPEND libstdcxx_include_flags -isystem${dir})
endforeach()
# libstdc++'s headers come first: they include the C library's behind them.
# The product is compiled for size: the devices have a few MB of flash.
set(CGI_DEVICE_CXX_FLAGS -nostdinc ${libstdcxx_include_flags} ${device_c_flags}
    "SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/libstdcxx-on-musl.h" -Os)
set(CGI_DEVICE_LIBC musl)

set(CGI_DEVICE_CPU ${device_cpu} CACHE STRING "qemu CPU model the device programs are tested on")
if(cross_qemu)
  set(CGI_DEVICE_EMULATOR ${cross_qemu})
  if(CGI_DEVICE_CPU)
    list(APPEND CGI_DEVICE_EMULATOR -cpu ${CGI_DEVICE_CPU})
  endif()
  set(CGI_TESTS_CPU "${tests_cpu}" CACHE STRING "qemu CPU model the test programs run on")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${cross_qemu} -L /usr/${cross_triple})
  if(CGI_TESTS_CPU)
    list(APPEND CMAKE_CROSSCOMPILING_EMULATOR -cpu ${CGI_TESTS_CPU})
  endif()
endif()
