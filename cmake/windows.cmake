# What the Windows build needs besides its compiler, given the same way on
# Windows itself (MSYS2's UCRT64 tool chain) and when cross-building on
# Debian (scripts/build-windows.sh): meshoptimizer's source and stb's image
# headers as ordinary cache variables; zlib (src/xfile) and googletest
# (tests/) through find_package. Then the game's resources, and, when
# cross-building, the tools built for the build machine.
enable_language(RC)

# meshoptimizer built from its source tree, so that the game can have the
# very version the Linux build links (both order their vertices the same
# way); left empty, an installed meshoptimizer library is used instead.
set(RZ_MESHOPT_SOURCE_DIR "" CACHE PATH "meshoptimizer's source tree (empty: an installed library)")
if(RZ_MESHOPT_SOURCE_DIR)
  if(NOT EXISTS ${RZ_MESHOPT_SOURCE_DIR}/src/meshoptimizer.h)
    message(FATAL_ERROR "RZ_MESHOPT_SOURCE_DIR ${RZ_MESHOPT_SOURCE_DIR} has no src/meshoptimizer.h")
  endif()
  file(GLOB RZ_MESHOPT_SOURCES ${RZ_MESHOPT_SOURCE_DIR}/src/*.cpp)
  add_library(meshoptimizer STATIC ${RZ_MESHOPT_SOURCES})
  target_include_directories(meshoptimizer SYSTEM INTERFACE ${RZ_MESHOPT_SOURCE_DIR}/src)
endif()

# A folder holding stb_image.h and stb_image_write.h and nothing the
# compiler must not see (a cross compiler must not see the build machine's
# /usr/include).
set(RZ_STB_INCLUDE_DIR "" CACHE PATH "folder holding stb_image.h and stb_image_write.h")
if(NOT EXISTS ${RZ_STB_INCLUDE_DIR}/stb_image.h)
  message(FATAL_ERROR "set RZ_STB_INCLUDE_DIR to a folder holding stb_image.h and stb_image_write.h")
endif()

# The Direct3D 9 tests compare with the GL device's picture, so the native
# tools include it where they can.
if(CMAKE_CROSSCOMPILING)
  set(RZ_NATIVE_AGREEMENT_GL_WANTED ON)
  include(${CMAKE_CURRENT_LIST_DIR}/native_tools.cmake)
endif()
