#include "app/entry.hpp"

#include <cstdio>

#include "app/app_state.hpp"
#include "app/keyboard_input.hpp"
#include "app/main_loop.hpp"
#include "app/main_window.hpp"
#include "platform/services.hpp"
#include "render/graphics_device.hpp"

bool startUpGame() {
  createAppState();
  createKeyboard();
  createMainWindow();
  if (!mainWindow) {
    std::fputs("riderozad: the main window could not be created\n", stderr);
    return false;
  }
  bindKeyboardToWindow();
  // The first device creation also sets up the scene. Without a device there
  // is nothing to draw on: the cause is already on stderr.
  createGraphicsDevice();
  return device != nullptr;
}

int32_t runGame() {
  if (!platform::services().system || !platform::services().graphics) {
    std::fputs("riderozad: no platform backend is installed\n", stderr);
    return 1;
  }
  // A run without a window or a device ends as a failure rather than running
  // frames on nothing.
  if (!startUpGame()) {
    releaseGraphicsDevice();
    return 1;
  }
  const int32_t exitCode = runMainLoop();
  releaseGraphicsDevice();
  return exitCode;
}
