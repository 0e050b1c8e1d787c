// Start-up in its fixed order, the main loop, and release at exit. The
// platform backend must be installed first.
#pragma once

#include <cstdint>

// The start-up in its fixed order, up to the main loop: app state, keyboard,
// main window, device (whose first creation sets up the scene). False, with
// the cause on stderr, when there is no window or no device.
bool startUpGame();
int32_t runGame();
