# Cross-compilation to 64-bit Windows with Debian's mingw-w64 (POSIX thread
# model, for std::thread), tests run under wine.  Used by scripts/windows.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# One self-contained .exe each: no mingw run-time DLLs to ship or to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
find_program(VORLAM_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/bin NO_DEFAULT_PATH)
if(VORLAM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VORLAM_WINE})
endif()
# GCC 12's libstdc++ string copies trip a known false -Wrestrict at -O2/-O3.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
