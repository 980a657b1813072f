# Packs the release archive into OUT and checks it: named after VERSION, holding exactly
# velmora.exe, README.md and LICENSE in its velmora-VERSION folder, the exe under 1 MB.
# cmake -DEXE=... -DSTRIP=... -DSOURCE_DIR=... -DOUT=... -DVERSION=... -P check-release.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DEXE=${EXE} -DSTRIP=${STRIP} -DSOURCE_DIR=${SOURCE_DIR}
                        -DOUT=${OUT} -P ${CMAKE_CURRENT_LIST_DIR}/make-release.cmake
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
set(expected velmora-${VERSION}/LICENSE velmora-${VERSION}/README.md velmora-${VERSION}/velmora.exe)
if(NOT entries STREQUAL expected)
  message(FATAL_ERROR "${zip} holds ${entries}; expected ${expected}")
endif()
file(SIZE ${unpacked}/velmora-${VERSION}/velmora.exe exe_size)
if(NOT exe_size LESS 1048576)
  message(FATAL_ERROR "the stripped velmora.exe is ${exe_size} bytes, 1 MB or more")
endif()
message(STATUS "${zip}: ${entries}; velmora.exe ${exe_size} bytes")
