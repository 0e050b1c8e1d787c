// What the frame report needs of the backend it measures: one file per
// platform (report_sdl_gl.cpp, report_d3d9.cpp, report_web.cpp) gives it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/display_options.hpp"

// Fills platform::services() with the backend's services. False, with a
// message on standard error, when it cannot start. The options are the
// game's display options.
bool installReportBackend(const platform::DisplayOptions& options);
void uninstallReportBackend();

// Called after each present: returns once the device has finished the
// picture, so that a frame's drawing counts in the frame that asked for it.
void finishPicture();

// The renderer that draws the pictures, as its driver names it.
std::string rendererName();
// The renderer and the window it draws in, for the report's first line.
std::string deviceName();

// The back buffer of the last drawn frame as rows of r, g, b, a bytes, top
// row first. False when there is no device.
bool readPicture(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);

// Keeps the calling thread on the machine's last processor, as another
// program keeping one core busy would be.
void pinToLastCore();

// False where the game's main loop cannot be run to an end (a browser page
// wakes it instead), so that its pacing is not measured.
bool mainLoopRunsToTheEnd();
