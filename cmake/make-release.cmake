# Packs the release archive: the stripped exe with the README and the licence, zipped
# as OUT/velmora-<version>.zip, the version taken from res/version.h.
# cmake -DEXE=... -DSTRIP=... -DSOURCE_DIR=... -DOUT=... -P make-release.cmake
foreach(input EXE STRIP SOURCE_DIR OUT)
  if(NOT ${input})
    message(FATAL_ERROR "make-release.cmake needs -D${input}=...")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/read-version.cmake)
velmora_read_version(${SOURCE_DIR} version)

set(name velmora-${version})
set(stage ${OUT}/${name})
file(REMOVE_RECURSE ${stage} ${OUT}/${name}.zip)
file(MAKE_DIRECTORY ${stage})
execute_process(COMMAND ${STRIP} -o ${stage}/velmora.exe ${EXE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${STRIP} could not strip ${EXE}")
endif()
file(COPY ${SOURCE_DIR}/README.md ${SOURCE_DIR}/LICENSE DESTINATION ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not zip ${stage}")
endif()
file(SIZE ${OUT}/${name}.zip zip_size)
file(SIZE ${stage}/velmora.exe exe_size)
message(STATUS "${OUT}/${name}.zip: ${zip_size} bytes (velmora.exe ${exe_size} bytes)")
