# Cross build of the 64-bit Windows program with MinGW-w64, for the first 64-bit Windows (5.2) and
# later: a 32-bit process cannot remove devices on 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0502 -DWINVER=0x0502")
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0502 -DWINVER=0x0502")
# Everything the C++ runtime needs is linked in, so only the system's DLLs are imported.
set(MINGW_LINK_FLAGS "-static -static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,5,--minor-subsystem-version,2,--major-os-version,5,--minor-os-version,2")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${MINGW_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${MINGW_LINK_FLAGS}")
# Release builds carry no symbols.
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
