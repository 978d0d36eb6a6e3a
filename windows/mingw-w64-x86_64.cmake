# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, which std::thread and std::mutex need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVIK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVIK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVIK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVIK_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ORVIK_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ORVIK_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Libraries and headers come from MinGW's tree and from the libraries built for
# Windows into ORVIK_WINDOWS_DEPS (libpng, libjpeg); programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVIK_MINGW_PREFIX})
if(ORVIK_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${ORVIK_WINDOWS_DEPS}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORVIK_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static libgcc, libstdc++ and winpthread: the programs need no DLL beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
