// The backend's services, one instance of each for the whole run, and the
// steps that put each back to its start when the backend is uninstalled.
#pragma once

#include <cstdint>

#include "platform/services.hpp"

namespace platform::web_gl {

System* systemService();
Keyboard* keyboardService();
GraphicsSystem* graphicsService();
Music* musicService();

// Page events: keys, focus, visibility. False when they cannot be had.
bool listenToPage();
void stopListening();
void shutDownGraphics();
void shutDownMusic();

// Sets 0x80 for every key a gamepad holds down, as the keyboard does.
void mergePadState(uint8_t (&state)[KEY_STATE_SIZE]);
void shutDownPads();

}  // namespace platform::web_gl
