# Cross build of the 64-bit Windows program with MinGW-w64, for the first 64-bit Windows (5.2)
# and later: a 32-bit process cannot remove devices on 64-bit Windows.
set(MINGW_ARCH x86_64)
set(MINGW_WINDOWS_VERSION 0x0502)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
