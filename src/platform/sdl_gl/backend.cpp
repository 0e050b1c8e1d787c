#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdl_gl/backend_parts.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/sdl_gl/sdl_pad.hpp"
#include "platform/sdl_gl/window_state.hpp"

namespace platform::sdl_gl {

bool install(const DisplayOptions& options) {
  // Closing the window is one Close event, not a second one from SDL_QUIT.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // SIGINT and SIGTERM keep their default action and end the game wherever
  // it is. SDL's handlers would only queue a quit, which a game stuck on its
  // display never reads.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "riderozad: SDL cannot start: %s\n", SDL_GetError());
    return false;
  }
  if (!holdDisplay()) {
    SDL_Quit();
    return false;
  }
  WindowRecord& w = windowRecord();
  w.options = options;
  if (w.quitEventType == 0) {
    const uint32_t type = SDL_RegisterEvents(1);
    w.quitEventType = type == static_cast<uint32_t>(-1) ? 0 : type;
  }
  Services& s = services();
  s.system = systemService();
  s.keyboard = keyboardService();
  s.graphics = graphicsService();
  s.music = musicService();
  static bool atExitSet = false;
  if (!atExitSet) atExitSet = std::atexit(uninstall) == 0;
  return true;
}

void uninstall() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  shutDownMusic();
  shutDownGraphics();
  shutDownSystem();
  shutDownPads();
  windowRecord().quitEventType = 0;
  SDL_Quit();
  services() = Services{};
}

SDL_Window* deviceWindow() { return windowRecord().window; }

}  // namespace platform::sdl_gl
