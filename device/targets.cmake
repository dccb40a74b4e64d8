# Reads device/targets for CMake.

set(device_targets_file "${CMAKE_CURRENT_LIST_DIR}/targets")

# device_target_facts(TARGET PREFIX): sets PREFIX_FOUND, and PREFIX_LIBC,
# _CROSS, _QEMU, _CPU, _TESTS_CPU, _FEED, _ELF, _FLOAT, _CI and _FLAGS (a
# list) from TARGET's row; a - in the table becomes empty.
macro(device_target_facts target prefix)
  set(${prefix}_FOUND FALSE)
  file(STRINGS "${device_targets_file}" device_target_rows REGEX "^${target} ")
  if(NOT "${target}" STREQUAL "" AND device_target_rows)
    set(${prefix}_FOUND TRUE)
    string(REGEX REPLACE " +" ";" device_target_row "${device_target_rows}")
    set(device_target_index 1)
    foreach(device_target_fact LIBC CROSS QEMU CPU TESTS_CPU FEED ELF FLOAT CI)
      list(GET device_target_row ${device_target_index} ${prefix}_${device_target_fact})
      math(EXPR device_target_index "${device_target_index} + 1")
    endforeach()
    list(SUBLIST device_target_row ${device_target_index} -1 ${prefix}_FLAGS)
    foreach(device_target_fact LIBC CROSS QEMU CPU TESTS_CPU FEED ELF FLOAT CI FLAGS)
      if("${${prefix}_${device_target_fact}}" STREQUAL "-")
        set(${prefix}_${device_target_fact} "")
      endif()
    endforeach()
  endif()
endmacro()
