# A cross build's tools for the build machine: the same project built
# natively, tools only. The generator makes the Windows run folder's data
# exactly as it makes the Linux one's; the Linux replay is what the Windows
# one is compared with; and where the Linux game's libraries are installed,
# the GL device's picture that the Direct3D 9 device is compared with.
include(ExternalProject)

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
