# What the Windows build (cmake/mingw-w64-x86_64.cmake) needs besides what
# Debian ships for mingw-w64: the Direct3D 9 tests compare with the GL
# device's picture, so the native tools include it where they can.
set(RZ_NATIVE_AGREEMENT_GL_WANTED ON)
include(${CMAKE_CURRENT_LIST_DIR}/cross_build.cmake)
