#include <windows.h>

#include <cstdlib>

#include "platform/win32_d3d9/backend_parts.hpp"
#include "platform/win32_d3d9/win32_d3d9_backend.hpp"

namespace platform::win32_d3d9 {

namespace {

bool installed = false;
DisplayOptions options;

}  // namespace

bool install(const DisplayOptions& displayOptions) {
  if (installed) return true;
  options = displayOptions;
  // Sleep and the frame pacing hold to the millisecond only with the
  // system timer at its finest.
  timeBeginPeriod(1);
  startUpKeyboard();
  Services& s = services();
  s.system = systemService();
  s.keyboard = keyboardService();
  s.graphics = graphicsService();
  s.music = musicService();
  installed = true;
  static bool atExitSet = false;
  if (!atExitSet) atExitSet = std::atexit(uninstall) == 0;
  return true;
}

void uninstall() {
  if (!installed) return;
  shutDownMusic();
  shutDownGraphics();
  shutDownKeyboard();
  shutDownSystem();
  timeEndPeriod(1);
  services() = Services{};
  installed = false;
}

HINSTANCE instanceHandle() { return GetModuleHandleA(nullptr); }

const DisplayOptions& displayOptions() { return options; }

}  // namespace platform::win32_d3d9
