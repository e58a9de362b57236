# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Everything but the Qt front end; the programs link the runtime statically, so the
# .exe files run without DLLs. Tests run under Wine (scripts/test-windows.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZEK_MINGW x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZEK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEK_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through Wine; GoogleTest is built from its sources with this compiler, and the
# header-only JSON library is taken from the build machine's headers.
find_program(ZEK_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(ZEK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZEK_WINE})
endif()
set(ZEK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
set(ZEK_JSON_HEADERS /usr/include/nlohmann CACHE PATH "nlohmann/json headers for the cross build")
set(ZEK_CLI11_HEADERS /usr/include/CLI CACHE PATH "CLI11 headers for the cross build")
set(ZEK_GUI OFF CACHE BOOL "No Qt for Windows on the build machine")
