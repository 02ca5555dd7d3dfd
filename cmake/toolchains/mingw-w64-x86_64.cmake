# Cross-building for 64-bit Windows with Debian's mingw-w64 (the posix-thread
# variant, which std::thread and std::mutex need). Executables are linked
# statically, so they run on a bare Windows with no MinGW DLLs beside them.
# Programs built here run under Wine where CMake or CTest needs to run one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLOMAR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUILLOMAR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLOMAR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLOMAR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLOMAR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not offer the host's libraries (libpq): only MinGW's own.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# -O2 as the Linux release build has: GCC 12 at -O3 reports a false
# -Wrestrict inside std::string that warnings-as-errors would stop on.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Release flags")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Release flags")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(QUILLOMAR_WINE NAMES wine wine64)
if(QUILLOMAR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLOMAR_WINE})
endif()
