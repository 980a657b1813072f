# Packs the release archive into OUT and checks it: named after VERSION, holding exactly
# velmora.exe, velmora64.exe, README.md and LICENSE in its velmora-VERSION folder, each
# exe stripped, of its own machine and under 1 MB. Skipped (with a message that says
# so) while one of the exes has not been built.
# cmake -DEXE32=... -DEXE64=... -DSTRIP32=... -DSTRIP64=... -DOBJDUMP=<x86_64 objdump>
#       -DSOURCE_DIR=... -DOUT=... -DVERSION=... -P check-release.cmake
foreach(edition 32 64)
  if(NOT EXISTS "${EXE${edition}}")
    message("release check skipped: no ${EXE${edition}} (tools/test.sh and tools/release.sh "
            "build both editions)")
    return()
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -DEXE32=${EXE32} -DEXE64=${EXE64} -DSTRIP32=${STRIP32}
                        -DSTRIP64=${STRIP64} -DSOURCE_DIR=${SOURCE_DIR} -DOUT=${OUT}
                        -P ${CMAKE_CURRENT_LIST_DIR}/make-release.cmake
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "make-release.cmake failed")
endif()
set(zip ${OUT}/velmora-${VERSION}.zip)
if(NOT EXISTS ${zip})
  message(FATAL_ERROR "no ${zip}")
endif()

set(unpacked ${OUT}/unpacked)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${unpacked}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${zip} does not unpack")
endif()
file(GLOB_RECURSE entries LIST_DIRECTORIES false RELATIVE ${unpacked} ${unpacked}/*)
list(SORT entries)
set(folder velmora-${VERSION})
set(expected ${folder}/LICENSE ${folder}/README.md ${folder}/velmora.exe ${folder}/velmora64.exe)
if(NOT entries STREQUAL expected)
  message(FATAL_ERROR "${zip} holds ${entries}; expected ${expected}")
endif()

foreach(exe_format velmora.exe:pei-i386 velmora64.exe:pei-x86-64)
  string(REPLACE ":" ";" exe_format ${exe_format})
  list(GET exe_format 0 exe_name)
  list(GET exe_format 1 format)
  set(exe ${unpacked}/${folder}/${exe_name})
  execute_process(COMMAND ${OBJDUMP} -h ${exe} OUTPUT_VARIABLE sections RESULT_VARIABLE failed)
  if(failed OR NOT sections MATCHES "file format ${format}")
    message(FATAL_ERROR "the archive's ${exe_name} is not ${format}")
  endif()
  if(sections MATCHES "\\.debug_")
    message(FATAL_ERROR "the archive's ${exe_name} is not stripped")
  endif()
  file(SIZE ${exe} exe_size)
  if(NOT exe_size LESS 1048576)
    message(FATAL_ERROR "the stripped ${exe_name} is ${exe_size} bytes, 1 MB or more")
  endif()
  list(APPEND sizes "${exe_name} ${exe_size} bytes")
endforeach()
list(JOIN entries ", " entries)
list(JOIN sizes ", " sizes)
message(STATUS "${zip}: ${entries}; ${sizes}, stripped")
