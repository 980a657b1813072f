# Fails when the product's sources or its exe name a call that writes to, or
# takes control of, another process, or a process right beyond query and read.
# cmake -DSOURCE_DIR=... -DEXE=... -DOBJDUMP=... -P check_no_process_writes.cmake
set(forbidden_calls WriteProcessMemory VirtualProtectEx VirtualAllocEx VirtualFreeEx
    CreateRemoteThread CreateRemoteThreadEx QueueUserAPC SetThreadContext DuplicateHandle
    TerminateProcess SetPriorityClass NtWriteVirtualMemory)
# The static thread runtime imports DuplicateHandle and SetThreadContext for its
# own threads; the exe is checked for the calls that only act on other processes.
set(forbidden_imports WriteProcessMemory VirtualProtectEx VirtualAllocEx VirtualFreeEx
    CreateRemoteThread CreateRemoteThreadEx TerminateProcess SetPriorityClass)
set(forbidden_rights PROCESS_ALL_ACCESS PROCESS_VM_WRITE PROCESS_VM_OPERATION
    PROCESS_CREATE_THREAD PROCESS_SET_INFORMATION PROCESS_TERMINATE PROCESS_DUP_HANDLE)

file(GLOB_RECURSE sources ${SOURCE_DIR}/app/* ${SOURCE_DIR}/main_window/*
     ${SOURCE_DIR}/memory_map/* ${SOURCE_DIR}/system/*)
foreach(source ${sources})
  file(READ ${source} text)
  foreach(name ${forbidden_calls} ${forbidden_rights})
    if(text MATCHES "[^A-Za-z_]${name}[^A-Za-z_]")
      message(FATAL_ERROR "${source} names ${name}")
    endif()
  endforeach()
endforeach()
list(LENGTH sources source_count)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump could not read ${EXE}")
endif()
foreach(name ${forbidden_imports})
  if(dump MATCHES "[ \t]${name}[\r\n]")
    message(FATAL_ERROR "${EXE} imports ${name}")
  endif()
endforeach()
message(STATUS "${source_count} sources and ${EXE}: no call writes to another process")
