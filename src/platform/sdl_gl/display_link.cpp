// The game's hold on its display: it starts only on a display someone can
// see, and it ends at once when that display goes away.
#include <SDL2/SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/sdl_gl/backend_parts.hpp"

// Last: its macros (None, Bool, Status) would rename the game's own names.
#include <X11/Xlib.h>

namespace platform::sdl_gl {

namespace {

// SDL_VIDEODRIVER may name several drivers, separated by commas.
bool driverNamed(const char* driver) {
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (!asked) return false;
  std::string_view list(asked);
  while (!list.empty()) {
    const size_t comma = list.find(',');
    if (list.substr(0, comma) == driver) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

// Xlib calls this once the connection is gone, and ends the process with
// exit() when it returns; exit()'s handlers would then tear SDL down over the
// dead connection and wait on it for good. The game keeps nothing that an
// immediate end loses.
int onDisplayLost(Display* display) {
  std::fprintf(stderr, "riderozad: the display %s went away; the game ends\n",
               display ? DisplayString(display) : "");
  _exit(1);
}

}  // namespace

bool holdDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) driver = "";
  // With no display to reach SDL falls back to drivers that show nothing, and
  // the game would run unseen with no way to close it. Tests and benchmarks
  // ask for them by name.
  const bool showsNothing =
      std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  if (showsNothing && !driverNamed(driver)) {
    const char* display = std::getenv("DISPLAY");
    if (display && display[0])
      std::fprintf(stderr,
                   "riderozad: no display to show the game on: nothing answers at DISPLAY=%s\n",
                   display);
    else
      std::fprintf(stderr, "riderozad: no display to show the game on: DISPLAY is not set\n");
    return false;
  }
  XSetIOErrorHandler(onDisplayLost);
  return true;
}

}  // namespace platform::sdl_gl
