# The same sources built for 64-bit Windows, to run the tests under 64-bit Wine on
# machines whose kernel cannot run 32-bit programs (and so not Wine's 32-bit loader).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(VELMORA_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
