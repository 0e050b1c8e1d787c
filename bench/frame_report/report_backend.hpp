// What the frame report needs of the backend it measures: one file per
// platform (report_sdl_gl.cpp, report_d3d9.cpp) gives it.
#pragma once

#include <string>

// Fills platform::services() with the backend's services. False, with a
// message on standard error, when it cannot start.
bool installReportBackend();
void uninstallReportBackend();

// Called after each present: returns once the device has finished the
// picture, so that a frame's drawing counts in the frame that asked for it.
void finishPicture();

// The renderer and the window it draws in, for the report's first line.
std::string deviceName();
