# Run at install time: writes the menu entry for the game installed in
# RZ_BINDIR (under the prefix being installed into, unless absolute) from
# RZ_DESKTOP_IN to RZ_DESKTOP_OUT.
set(game "${RZ_BINDIR}/riderozad")
if(NOT IS_ABSOLUTE "${game}")
  set(game "${CMAKE_INSTALL_PREFIX}/${game}")
endif()
cmake_path(NORMAL_PATH game)

# Exec is a command line: a path with reserved characters goes in double
# quotes, with the four that stay special there escaped, and % doubled.
set(exec "${game}")
if(exec MATCHES "[] \t\"'\\\\><~|&;$*?#()`[]")
  string(REGEX REPLACE "([\\\\\"`$])" "\\\\\\1" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
# Both keys are strings of the desktop entry, where a backslash is doubled.
string(REPLACE "\\" "\\\\" RIDEROZAD_EXEC "${exec}")
string(REPLACE "\\" "\\\\" RIDEROZAD_TRYEXEC "${game}")
configure_file("${RZ_DESKTOP_IN}" "${RZ_DESKTOP_OUT}" @ONLY)
