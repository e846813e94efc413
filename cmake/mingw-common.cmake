# What both MinGW-w64 cross builds share. The including toolchain file sets MINGW_ARCH (i686 or
# x86_64) and MINGW_WINDOWS_VERSION, the oldest Windows it runs on (0x0500 is Windows 2000).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})
set(CMAKE_C_COMPILER ${MINGW_ARCH}-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_ARCH}-w64-mingw32-g++)
set(CMAKE_RC_COMPILER ${MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The headers declare only what that Windows has, and the image names it as its subsystem.
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=${MINGW_WINDOWS_VERSION} -DWINVER=${MINGW_WINDOWS_VERSION}")
set(CMAKE_C_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT}")
math(EXPR MINGW_MAJOR "${MINGW_WINDOWS_VERSION} >> 8")
math(EXPR MINGW_MINOR "${MINGW_WINDOWS_VERSION} & 0xFF")
set(MINGW_VERSION_FLAGS
  "--major-subsystem-version,${MINGW_MAJOR},--minor-subsystem-version,${MINGW_MINOR},--major-os-version,${MINGW_MAJOR},--minor-os-version,${MINGW_MINOR}")
# Everything the C++ runtime needs is linked in, so only the system's DLLs are imported.
set(MINGW_LINK_FLAGS "-static -static-libgcc -static-libstdc++ -Wl,${MINGW_VERSION_FLAGS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${MINGW_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${MINGW_LINK_FLAGS}")
# Release builds carry no symbols.
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_MINSIZEREL_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
