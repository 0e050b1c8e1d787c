# Cross-building the Windows game on Debian with mingw-w64 (posix threads):
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# with the variables cmake/windows.cmake asks for, as scripts/build-windows.sh
# does. Programs built here run under Wine when CMake or ctest runs them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RZ_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RZ_MINGW_TRIPLE}-windres)

# Headers and libraries come from the mingw-w64 tree only; build tools from
# the host.
set(CMAKE_FIND_ROOT_PATH /usr/${RZ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime is linked in, so the .exe needs no libstdc++, libgcc,
# libwinpthread or zlib DLL beside it: only what Windows itself has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(ZLIB_USE_STATIC_LIBS ON)

find_program(RZ_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${RZ_WINE})
