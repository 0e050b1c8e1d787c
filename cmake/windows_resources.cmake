# riderozad.exe's resources, compiled by windres (CMake's RC language): the
# icon, made here from packaging/riderozad.svg; the version information, from
# the project's version; and the manifest.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(RZ_RSVG_CONVERT rsvg-convert REQUIRED)

set(RZ_RESOURCE_DIR ${CMAKE_BINARY_DIR}/resources)
set(RZ_ICON ${RZ_RESOURCE_DIR}/riderozad.ico)
set(RZ_MANIFEST ${RZ_RESOURCE_DIR}/riderozad.manifest)
set(RZ_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
set(rz_windows_dir ${PROJECT_SOURCE_DIR}/packaging/windows)

add_custom_command(
  OUTPUT ${RZ_ICON}
  COMMAND ${Python3_EXECUTABLE} ${rz_windows_dir}/make_icon.py ${RZ_RSVG_CONVERT}
          ${PROJECT_SOURCE_DIR}/packaging/riderozad.svg ${RZ_ICON}
  DEPENDS ${rz_windows_dir}/make_icon.py ${PROJECT_SOURCE_DIR}/packaging/riderozad.svg
  COMMENT "Rendering the game's icon"
  VERBATIM)
configure_file(${rz_windows_dir}/riderozad.manifest.in ${RZ_MANIFEST} @ONLY)
configure_file(${rz_windows_dir}/riderozad.rc.in ${RZ_RESOURCE_DIR}/riderozad.rc @ONLY)
target_sources(riderozad PRIVATE ${RZ_RESOURCE_DIR}/riderozad.rc)
set_source_files_properties(${RZ_RESOURCE_DIR}/riderozad.rc PROPERTIES
                            OBJECT_DEPENDS "${RZ_ICON};${RZ_MANIFEST}")
