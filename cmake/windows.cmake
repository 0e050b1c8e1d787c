# What the Windows build (cmake/mingw-w64-x86_64.cmake) needs that Debian
# ships only for the build machine: meshoptimizer, stb's folder, googletest,
# and the native tools (the asset generator, and the Linux replay that the
# Windows one is compared with).
include(ExternalProject)

# meshoptimizer from Debian's source package, the version the Linux build
# links, so both builds order their vertices the same way.
set(RZ_MESHOPT_SOURCE_DIR "" CACHE PATH "meshoptimizer's source tree (default: fetched from Debian)")
if(NOT RZ_MESHOPT_SOURCE_DIR)
  set(RZ_MESHOPT_SOURCE_DIR ${CMAKE_BINARY_DIR}/_deps/meshoptimizer)
  if(NOT EXISTS ${RZ_MESHOPT_SOURCE_DIR}/src/meshoptimizer.h)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-meshoptimizer.sh
                            ${RZ_MESHOPT_SOURCE_DIR} RESULT_VARIABLE rz_fetch_failed)
    if(rz_fetch_failed)
      message(FATAL_ERROR "cannot fetch meshoptimizer's source; set RZ_MESHOPT_SOURCE_DIR")
    endif()
  endif()
endif()
file(GLOB RZ_MESHOPT_SOURCES ${RZ_MESHOPT_SOURCE_DIR}/src/*.cpp)
add_library(meshoptimizer STATIC ${RZ_MESHOPT_SOURCES})
target_include_directories(meshoptimizer SYSTEM INTERFACE ${RZ_MESHOPT_SOURCE_DIR}/src)

# stb from libstb-dev: a folder of our own holding only its image headers,
# since /usr/include as a whole must not reach the cross compiler.
set(RZ_STB_INCLUDE_DIR ${CMAKE_BINARY_DIR}/_deps/stb)
file(MAKE_DIRECTORY ${RZ_STB_INCLUDE_DIR})
foreach(header stb_image.h stb_image_write.h)
  file(CREATE_LINK /usr/include/stb/${header} ${RZ_STB_INCLUDE_DIR}/${header} SYMBOLIC)
endforeach()

if(RIDEROZAD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
endif()

# The same project built for the build machine, tools only: the generator
# makes the Windows run folder's data exactly as it makes the Linux one's.
# Where the Linux game's libraries are installed, it also makes the GL
# device's picture that the Direct3D 9 device is compared with.
set(RZ_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
set(RZ_NATIVE_GEN ${RZ_NATIVE_DIR}/tools/gen/rz_gen)
set(RZ_NATIVE_REPLAY ${RZ_NATIVE_DIR}/tools/replay/replay)
set(RZ_NATIVE_TARGETS rz_gen replay)
set(RZ_NATIVE_AGREEMENT_GL "")
execute_process(COMMAND pkg-config --exists sdl2 SDL2_mixer SDL2_ttf epoxy fontconfig gtest
                RESULT_VARIABLE rz_no_native_gl)
if(NOT rz_no_native_gl AND EXISTS ${PROJECT_SOURCE_DIR}/tests/win32/d3d9_agreement_gl.cpp)
  set(RZ_NATIVE_AGREEMENT_GL ${RZ_NATIVE_DIR}/tests/win32/d3d9_agreement_gl)
  list(APPEND RZ_NATIVE_TARGETS d3d9_agreement_gl)
  set(rz_native_gl ON)
else()
  set(rz_native_gl OFF)
endif()
ExternalProject_Add(
  rz_native_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${RZ_NATIVE_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DRIDEROZAD_BENCH=OFF
             -DRIDEROZAD_TESTS=${rz_native_gl} -DRIDEROZAD_SDL_GL=${rz_native_gl}
             -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER}
             -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${RZ_NATIVE_TARGETS}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${RZ_NATIVE_GEN} ${RZ_NATIVE_REPLAY} ${RZ_NATIVE_AGREEMENT_GL})
