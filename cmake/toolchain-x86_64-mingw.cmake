# The 64-bit edition, velmora64.exe: a 64-bit Windows program, tested under 64-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELMORA_CONFIGURATION win64) # its tests run in this configuration (cmake/wine.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
