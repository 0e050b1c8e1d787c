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

# The menu entry starts the game by its full path, since a session's PATH may
# lack the folder it lies in (/usr/games, ~/.local/bin). The path is known
# only when installing (cmake --install --prefix may change it), so the entry
# is written then.
set(RIDEROZAD_DESKTOP_FILE ${CMAKE_CURRENT_BINARY_DIR}/riderozad.desktop)
install(CODE "
  set(RZ_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
  set(RZ_DESKTOP_IN \"${PROJECT_SOURCE_DIR}/packaging/riderozad.desktop.in\")
  set(RZ_DESKTOP_OUT \"${RIDEROZAD_DESKTOP_FILE}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/desktop_entry.cmake\")")
install(FILES ${RIDEROZAD_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/riderozad.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/riderozad.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The modders' tools, named after the game so that they cannot clash with
# anything else in the same folder.
install(PROGRAMS $<TARGET_FILE:xinfo> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME riderozad-xinfo)
install(PROGRAMS $<TARGET_FILE:replay> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME riderozad-replay)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/man/riderozad.6
              ${PROJECT_SOURCE_DIR}/packaging/man/riderozad-xinfo.6
              ${PROJECT_SOURCE_DIR}/packaging/man/riderozad-replay.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
