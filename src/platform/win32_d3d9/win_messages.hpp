// The game's messages on Windows. They are written to standard error, which
// a program of the windows subsystem does not have when started from a
// console or from Explorer: everything written there is passed on to the
// standard error it was given, or else to the console it was started from,
// and to the debugger (OutputDebugString), line by line.
#pragma once

#include <string>

namespace platform::win32_d3d9 {

// From here on, standard error is passed on as above.
void startPassingMessages();
// Stops passing them on, standard error goes straight to where it went
// before; returns what was written meanwhile (its last few kilobytes).
std::string stopPassingMessages();

}  // namespace platform::win32_d3d9
