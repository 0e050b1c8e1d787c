# Installing: the game where Linux games go, its data in
# share/games/riderozad, and a menu entry with an icon.
# The Windows game is packed into a zip instead (scripts/build-windows.sh).
if(NOT TARGET riderozad OR WIN32)
  return()
endif()

set(RIDEROZAD_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/games/riderozad)

# Started from a folder without Data/, the game looks for its installed data
# relative to its own executable, so an installed tree works wherever its
# prefix is (cmake --install --prefix included).
file(RELATIVE_PATH RIDEROZAD_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${RIDEROZAD_DATA_DESTINATION})
target_compile_definitions(riderozad PRIVATE RIDEROZAD_DATA_FROM_BIN="${RIDEROZAD_DATA_FROM_BIN}")

# The generated world, as the build lays it out in the run folder.
install(DIRECTORY ${RIDEROZAD_RUN_DIR}/Data DESTINATION ${RIDEROZAD_DATA_DESTINATION}
        PATTERN .generated EXCLUDE)
install(FILES ${RIDEROZAD_RUN_DIR}/L.wp ${RIDEROZAD_RUN_DIR}/R.wp ${RIDEROZAD_RUN_DIR}/M.mp3
        DESTINATION ${RIDEROZAD_DATA_DESTINATION})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/riderozad.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/riderozad.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
