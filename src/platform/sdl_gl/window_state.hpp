// The one main window as the system service and the device share it: the
// description the game gave, the SDL window once the device has opened it,
// and where the back buffer's picture sits inside it.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <string>

#include "platform/display_options.hpp"
#include "platform/gl/picture_fit.hpp"
#include "platform/system.hpp"

namespace platform::sdl_gl {

// Mouse position packed as the window message packs it: x in the low word,
// y in the high word, each as 16 bits.
uint32_t packPosition(int32_t x, int32_t y);

struct WindowRecord {
  SDL_Window* window = nullptr;
  std::string caption;
  WindowDesc desc{};
  bool described = false;
  bool acceptFiles = false;
  // The back buffer's size once a device draws into the window; 0 before.
  uint32_t pictureWidth = 0;
  uint32_t pictureHeight = 0;
  uint32_t quitEventType = 0;
  DisplayOptions options;
  // The window's place and size before Alt+Enter made it full screen; a
  // size of 0 when it started full screen.
  int windowedX = 0, windowedY = 0, windowedWidth = 0, windowedHeight = 0;
};

WindowRecord& windowRecord();

// Opens the window the device draws into, full screen over the desktop
// without changing its mode (or, windowed, at the back buffer's size, or as
// much of it as the screen has room for), with the caption the game gave;
// any earlier window is closed first. The GL attributes must be set before.
// Null, with SDL's error, when it fails.
SDL_Window* openDeviceWindow(bool fullScreen, uint32_t width, uint32_t height);
void closeDeviceWindow();
// Alt+Enter: a window goes full screen over the desktop, and full screen
// becomes a resizable window again: where the window was, or of the
// picture's size. The context and everything on it stay.
void switchFullScreen();
// False while the window is hidden or minimised.
bool windowVisible();

}  // namespace platform::sdl_gl
