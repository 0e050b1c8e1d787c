// The SDL2 + OpenGL 3.3 core backend: window and events, keyboard, a GL device
// that draws like the classic fixed-function device, and SDL2_mixer music.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/display_options.hpp"

struct SDL_Window;

namespace platform::sdl_gl {

// Starts SDL's video and event subsystems and fills platform::services() with
// this backend's four services. False, with a message on standard error, when
// SDL cannot start. The options say how the device's window is shown.
bool install(const DisplayOptions& options = {});
// Releases the device, the music and the window and shuts SDL down; the
// services are cleared. Safe to call more than once.
void uninstall();

// For tests and tools: the SDL window the device draws into (null before a
// device exists), and the device's back buffer read back as rows of r, g, b, a
// bytes, top row first. False when there is no device.
SDL_Window* deviceWindow();
bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);

}  // namespace platform::sdl_gl
