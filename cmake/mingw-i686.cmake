# Cross build of the 32-bit Windows program with MinGW-w64. It runs on Windows 2000 and later:
# the headers declare only what Windows 2000 has, and the image says subsystem version 5.0.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500")
# Everything the C++ runtime needs is linked in, so only the system's DLLs are imported.
set(MINGW_LINK_FLAGS "-static -static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,5,--minor-subsystem-version,0,--major-os-version,5,--minor-os-version,0")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${MINGW_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${MINGW_LINK_FLAGS}")
# Release builds carry no symbols.
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
