# Reads the product version from res/version.h, the one place it is set:
# velmora_read_version(SOURCE_DIR VARIABLE) sets VARIABLE to "major.minor.patch.build".
function(velmora_read_version source_dir variable)
  file(STRINGS ${source_dir}/res/version.h version_lines
       REGEX "#define VELMORA_VERSION_(MAJOR|MINOR|PATCH|BUILD) ")
  set(version "")
  foreach(part MAJOR MINOR PATCH BUILD)
    if(NOT version_lines MATCHES "VELMORA_VERSION_${part} ([0-9]+)")
      message(FATAL_ERROR "res/version.h defines no VELMORA_VERSION_${part}")
    endif()
    list(APPEND version ${CMAKE_MATCH_1})
  endforeach()
  list(JOIN version "." version)
  set(${variable} ${version} PARENT_SCOPE)
endfunction()
