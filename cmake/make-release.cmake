# Packs the release archive: both editions stripped (velmora.exe, velmora64.exe) with
# the README and the licence, zipped as OUT/velmora-<version>.zip, the version taken
# from res/version.h.
# cmake -DEXE32=... -DEXE64=... -DSTRIP32=... -DSTRIP64=... -DSOURCE_DIR=... -DOUT=...
#       -P make-release.cmake
foreach(input EXE32 EXE64 STRIP32 STRIP64 SOURCE_DIR OUT)
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
foreach(edition 32 64)
  if(edition EQUAL 32)
    set(exe_name velmora.exe)
  else()
    set(exe_name velmora64.exe)
  endif()
  execute_process(COMMAND ${STRIP${edition}} -o ${stage}/${exe_name} ${EXE${edition}}
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${STRIP${edition}} could not strip ${EXE${edition}}")
  endif()
  file(SIZE ${stage}/${exe_name} size)
  list(APPEND sizes "${exe_name} ${size} bytes")
endforeach()
file(COPY ${SOURCE_DIR}/README.md ${SOURCE_DIR}/LICENSE DESTINATION ${stage})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not zip ${stage}")
endif()
file(SIZE ${OUT}/${name}.zip zip_size)
list(JOIN sizes ", " sizes)
message(STATUS "${OUT}/${name}.zip: ${zip_size} bytes (${sizes})")
