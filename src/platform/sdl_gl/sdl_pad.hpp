// Gamepads on SDL's GameController API, with SDL's own mappings: every pad
// plugged in counts, pads come and go while the game runs, and each one's
// controls are merged into the keyboard's snapshot.
#pragma once

#include <cstdint>

#include "platform/keyboard.hpp"

namespace platform::sdl_gl {

// Takes up pads plugged in and drops pads removed since the last call (one
// line on stderr for each), then sets the key bytes the open pads hold down.
void mergePadState(uint8_t (&state)[KEY_STATE_SIZE]);
// Closes every pad; the next merge starts over.
void shutDownPads();

}  // namespace platform::sdl_gl
