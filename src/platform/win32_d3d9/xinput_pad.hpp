// Gamepads on XInput, pads 0 to 3, read once a frame with the keyboard.
// XInput is loaded when first needed; a Windows without it runs on the
// keyboard alone.
#pragma once

#include <cstdint>

#include "platform/keyboard.hpp"

namespace platform::win32_d3d9 {

// Reads every connected pad and sets the key bytes its controls hold down;
// bytes already set stay set. Says once on stderr when a pad connects or is
// removed, and once when there is no XInput at all.
void mergePadState(uint8_t (&state)[KEY_STATE_SIZE]);

}  // namespace platform::win32_d3d9
