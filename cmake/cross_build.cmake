# What a cross build (Windows with mingw-w64, the web with emscripten) needs
# that Debian ships only for the build machine: meshoptimizer, stb's folder,
# googletest, and the native tools (the asset generator, and the Linux replay
# that the cross-built one is compared with).
include(ExternalProject)

# rz_debian_sources(NAME PACKAGE ...): for each pair, Debian's source of the
# library PACKAGE, the version the Linux build links, in _deps/NAME, fetched
# once (scripts/fetch-debian-source.sh) so that every build compiles the same
# code.
function(rz_debian_sources)
  set(missing "")
  while(ARGN)
    list(POP_FRONT ARGN name package)
    if(NOT EXISTS ${CMAKE_BINARY_DIR}/_deps/${name})
      list(APPEND missing ${package})
    endif()
  endwhile()
  if(missing)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-debian-source.sh
                            ${CMAKE_BINARY_DIR}/_deps ${missing} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "cannot fetch the Debian source of ${missing}")
    endif()
  endif()
endfunction()

# RZ_MORE_DEBIAN_SOURCES: the includer's own pairs, fetched in the same go.
rz_debian_sources(meshoptimizer libmeshoptimizer-dev ${RZ_MORE_DEBIAN_SOURCES})
set(RZ_MESHOPT_SOURCE_DIR ${CMAKE_BINARY_DIR}/_deps/meshoptimizer)
# The parts the game calls (the vertex cache and fetch orders) and their
# allocator: the rest would be compiled only to be left out of every link.
set(rz_meshopt_sources "")
foreach(part allocator vcacheoptimizer vfetchoptimizer)
  list(APPEND rz_meshopt_sources ${RZ_MESHOPT_SOURCE_DIR}/src/${part}.cpp)
endforeach()
add_library(meshoptimizer STATIC ${rz_meshopt_sources})
target_include_directories(meshoptimizer SYSTEM INTERFACE ${RZ_MESHOPT_SOURCE_DIR}/src)

# stb from libstb-dev: a folder of our own holding only its image headers,
# since /usr/include as a whole must not reach the cross compiler.
set(RZ_STB_INCLUDE_DIR ${CMAKE_BINARY_DIR}/_deps/stb)
file(MAKE_DIRECTORY ${RZ_STB_INCLUDE_DIR})
foreach(header stb_image.h stb_image_write.h stb_truetype.h)
  file(CREATE_LINK /usr/include/stb/${header} ${RZ_STB_INCLUDE_DIR}/${header} SYMBOLIC)
endforeach()

if(RIDEROZAD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
endif()

# The same project built for the build machine, tools only: the generator
# makes the cross build's run folder exactly as it makes the Linux one's.
# With RZ_NATIVE_AGREEMENT_GL_WANTED, and where the Linux game's libraries are
# installed, it also makes the GL device's picture of the agreement scene.
# RZ_NATIVE_BUILD_DIR names a Linux build of this source tree to take them
# from instead (scripts/build-web.sh passes build/ when it is there).
set(RZ_NATIVE_BUILD_DIR "" CACHE PATH "a Linux build of this source to take the native tools from")
if(RZ_NATIVE_BUILD_DIR)
  set(RZ_NATIVE_DIR ${RZ_NATIVE_BUILD_DIR})
  load_cache(${RZ_NATIVE_DIR} READ_WITH_PREFIX rz_native_ RIDEROZAD_SDL_GL RIDEROZAD_TESTS)
  set(rz_native_gl OFF)
  if(rz_native_RIDEROZAD_SDL_GL AND rz_native_RIDEROZAD_TESTS)
    set(rz_native_gl ON)
  endif()
else()
  set(RZ_NATIVE_DIR ${CMAKE_BINARY_DIR}/native)
  execute_process(COMMAND pkg-config --exists sdl2 SDL2_mixer SDL2_ttf epoxy fontconfig gtest
                  RESULT_VARIABLE rz_no_native_gl)
  if(rz_no_native_gl)
    set(rz_native_gl OFF)
  else()
    set(rz_native_gl ON)
  endif()
endif()
set(RZ_NATIVE_GEN ${RZ_NATIVE_DIR}/tools/gen/rz_gen)
set(RZ_NATIVE_REPLAY ${RZ_NATIVE_DIR}/tools/replay/replay)
set(RZ_NATIVE_TARGETS rz_gen replay)
set(RZ_NATIVE_AGREEMENT_GL "")
if(NOT RZ_NATIVE_AGREEMENT_GL_WANTED OR NOT EXISTS
   ${PROJECT_SOURCE_DIR}/tests/win32/d3d9_agreement_gl.cpp)
  set(rz_native_gl OFF)
endif()
if(rz_native_gl)
  set(RZ_NATIVE_AGREEMENT_GL ${RZ_NATIVE_DIR}/tests/win32/d3d9_agreement_gl)
  list(APPEND RZ_NATIVE_TARGETS d3d9_agreement_gl)
endif()
if(RZ_NATIVE_BUILD_DIR)
  add_custom_target(
    rz_native_tools
    COMMAND ${CMAKE_COMMAND} --build ${RZ_NATIVE_DIR} --target ${RZ_NATIVE_TARGETS}
    BYPRODUCTS ${RZ_NATIVE_GEN} ${RZ_NATIVE_REPLAY} ${RZ_NATIVE_AGREEMENT_GL}
    COMMENT "Building the native tools in ${RZ_NATIVE_DIR}"
    VERBATIM)
else()
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
endif()
