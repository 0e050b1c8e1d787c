// The device's window: opened full screen or in a window, switched between
// the two, and closed.
#include <algorithm>
#include <cstdio>

#include "platform/sdl_gl/window_state.hpp"

namespace platform::sdl_gl {

namespace {

// The largest size of the picture's shape, at most the picture's own, that
// the desktop's usable area holds: a window must not start larger than the
// screen it is on.
void windowedSize(int32_t pictureWidth, int32_t pictureHeight, int& width, int& height) {
  width = pictureWidth;
  height = pictureHeight;
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return;
  if (usable.w >= width && usable.h >= height) return;
  const gl::PictureFit fit = gl::fitPicture(pictureWidth, pictureHeight, usable.w, usable.h);
  width = std::max(fit.width, 1);
  height = std::max(fit.height, 1);
}

}  // namespace

uint32_t packPosition(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16);
}

WindowRecord& windowRecord() {
  static WindowRecord record;
  return record;
}

SDL_Window* openDeviceWindow(bool fullScreen, uint32_t width, uint32_t height) {
  WindowRecord& w = windowRecord();
  closeDeviceWindow();
  const char* caption = w.described ? w.caption.c_str() : "";
  // The player's --window wins over the game's full screen.
  fullScreen = fullScreen && !w.options.window;
  int x = SDL_WINDOWPOS_UNDEFINED, y = SDL_WINDOWPOS_UNDEFINED;
  int windowWidth = static_cast<int>(width), windowHeight = static_cast<int>(height);
  SDL_Rect screen{};
  if (fullScreen && SDL_GetDisplayBounds(0, &screen) == 0 && screen.w > 0 && screen.h > 0) {
    // Full screen over the desktop: the display mode stays as it is and the
    // back buffer is shown scaled. The window is made full screen, at the
    // screen's size and place, from the start: without a window manager
    // nobody resizes it later.
    x = screen.x;
    y = screen.y;
    windowWidth = screen.w;
    windowHeight = screen.h;
  } else if (!fullScreen && w.options.window) {
    x = y = SDL_WINDOWPOS_CENTERED;
    windowedSize(static_cast<int32_t>(width), static_cast<int32_t>(height), windowWidth,
                 windowHeight);
  } else if (!fullScreen && w.described) {
    x = w.desc.x;
    y = w.desc.y;
  }
  const uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI |
                         (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
  w.window = SDL_CreateWindow(caption, x, y, windowWidth, windowHeight, flags);
  if (!w.window) return nullptr;
  w.pictureWidth = width;
  w.pictureHeight = height;
  return w.window;
}

void switchFullScreen() {
  WindowRecord& w = windowRecord();
  if (!w.window || w.pictureWidth == 0) return;
  if ((SDL_GetWindowFlags(w.window) & SDL_WINDOW_FULLSCREEN) == 0) {
    SDL_GetWindowPosition(w.window, &w.windowedX, &w.windowedY);
    SDL_GetWindowSize(w.window, &w.windowedWidth, &w.windowedHeight);
    if (SDL_SetWindowFullscreen(w.window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0)
      std::fprintf(stderr, "riderozad: cannot go full screen: %s\n", SDL_GetError());
    return;
  }
  if (SDL_SetWindowFullscreen(w.window, 0) != 0) {
    std::fprintf(stderr, "riderozad: cannot leave full screen: %s\n", SDL_GetError());
    return;
  }
  // The window comes back where it was, at the size it had; one that
  // started full screen would keep the screen's size, so it gets the
  // picture's, in the middle.
  SDL_SetWindowResizable(w.window, SDL_TRUE);
  if (w.windowedWidth > 0 && w.windowedHeight > 0) {
    SDL_SetWindowSize(w.window, w.windowedWidth, w.windowedHeight);
    SDL_SetWindowPosition(w.window, w.windowedX, w.windowedY);
    return;
  }
  int width = 0, height = 0;
  windowedSize(static_cast<int32_t>(w.pictureWidth), static_cast<int32_t>(w.pictureHeight), width,
               height);
  SDL_SetWindowSize(w.window, width, height);
  SDL_SetWindowPosition(w.window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void closeDeviceWindow() {
  WindowRecord& w = windowRecord();
  if (w.window) SDL_DestroyWindow(w.window);
  w.window = nullptr;
  w.windowedWidth = w.windowedHeight = 0;
  w.pictureWidth = 0;
  w.pictureHeight = 0;
}

bool windowVisible() {
  const SDL_Window* window = windowRecord().window;
  if (!window) return false;
  const uint32_t flags = SDL_GetWindowFlags(windowRecord().window);
  return (flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

}  // namespace platform::sdl_gl
