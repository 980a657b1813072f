# Checks a built edition of the program (velmora.exe or velmora64.exe) without
# running it: a Windows GUI program of the expected machine that imports only system
# DLLs (the runtime is linked in), and neither PSAPI.DLL nor version.dll, which it
# binds from the system folder itself; with its icon, a version resource of this
# version that names the exe, and a manifest fit for its machine.
# cmake -DEXE=... -DOBJDUMP=... -DWINDRES=... -DFORMAT=pei-i386|pei-x86-64 -DVERSION=1.2.3.4
#       -P check-exe.cmake
get_filename_component(exe_name ${EXE} NAME)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump could not read ${EXE}")
endif()
if(NOT dump MATCHES "file format ${FORMAT}")
  message(FATAL_ERROR "${EXE} is not ${FORMAT}")
endif()
if(NOT dump MATCHES "Subsystem[ \t]+00000002")
  message(FATAL_ERROR "${EXE} is not a Windows GUI program")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(allowed KERNEL32.DLL MSVCRT.DLL USER32.DLL GDI32.DLL SHELL32.DLL COMCTL32.DLL)
foreach(line ${imports})
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" dll)
  list(FIND allowed "${dll}" known)
  if(known EQUAL -1)
    message(FATAL_ERROR "${EXE} imports ${dll}: only ${allowed} may be imported")
  endif()
endforeach()
list(LENGTH imports count)

# The resources, as windres writes them back as a script.
execute_process(COMMAND ${WINDRES} -J coff -O rc -i ${EXE} OUTPUT_VARIABLE resources
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "windres could not read the resources of ${EXE}")
endif()
if(NOT resources MATCHES "RT_GROUP_ICON")
  message(FATAL_ERROR "${EXE} has no icon")
endif()
string(REPLACE "." ", " file_version "${VERSION}")
if(NOT resources MATCHES "VERSIONINFO[ \t\r\n]+FILEVERSION ${file_version}[\r\n]")
  message(FATAL_ERROR "${EXE} has no version resource of version ${VERSION}")
endif()
if(NOT resources MATCHES "VALUE \"OriginalFilename\", \"${exe_name}\"")
  message(FATAL_ERROR "the version resource of ${EXE} does not name ${exe_name}")
endif()
if(NOT resources MATCHES "RT_MANIFEST")
  message(FATAL_ERROR "${EXE} has no manifest")
endif()

# The manifest is plain text in the file. A machine it names must be the exe's own:
# Windows will not load a 64-bit program whose manifest asks for x86 assemblies.
file(STRINGS ${EXE} manifest_lines REGEX "processorArchitecture=|Common-Controls")
if(NOT manifest_lines MATCHES "Microsoft\\.Windows\\.Common-Controls")
  message(FATAL_ERROR "the manifest of ${EXE} does not ask for the Common Controls 6")
endif()
if(FORMAT STREQUAL "pei-i386")
  set(machine x86)
else()
  set(machine amd64)
endif()
string(REGEX MATCHALL "processorArchitecture=\"[^\"]*\"" architectures "${manifest_lines}")
foreach(architecture ${architectures})
  if(NOT architecture MATCHES "\"(\\*|${machine})\"")
    message(FATAL_ERROR "the manifest of ${EXE} names ${architecture}: ${exe_name} is ${machine}")
  endif()
endforeach()

message(STATUS "${EXE}: ${FORMAT}, GUI, ${count} system DLLs imported, icon, version ${VERSION}, "
               "manifest")
