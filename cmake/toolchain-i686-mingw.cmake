# The 32-bit edition, velmora.exe: a 32-bit Windows program.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VELMORA_MINGW_TRIPLE i686-w64-mingw32)
set(VELMORA_CONFIGURATION win32) # its tests run in this configuration (cmake/wine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
