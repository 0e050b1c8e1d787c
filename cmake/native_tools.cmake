# A cross build's tools for the build machine (the Windows and web builds):
# the same project built natively, tools only. The generator makes the cross
# build's run folder exactly as it makes the Linux one's, and the Linux replay
# is what the cross-built one is compared with.
include(ExternalProject)

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
