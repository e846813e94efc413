# Cross build of the 32-bit Windows program with MinGW-w64; it runs on Windows 2000 and later.
set(MINGW_ARCH i686)
set(MINGW_WINDOWS_VERSION 0x0500)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
