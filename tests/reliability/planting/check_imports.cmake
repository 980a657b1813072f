# Fails when EXE imports psapi.dll or version.dll: the loader would then bind
# a planted copy beside the exe before any of the program's code runs.
# cmake -DEXE=... -DOBJDUMP=... -P check_imports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump could not read ${EXE}")
endif()
string(TOUPPER "${dump}" dump)
foreach(dll PSAPI.DLL VERSION.DLL)
  if(dump MATCHES "DLL NAME: ${dll}")
    message(FATAL_ERROR "${EXE} imports ${dll}")
  endif()
endforeach()
string(REGEX MATCHALL "DLL NAME: [^\n]+" imports "${dump}")
message(STATUS "${EXE} imports neither psapi.dll nor version.dll: ${imports}")
