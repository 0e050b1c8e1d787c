// SDL keys in the two classic numberings the game reads: virtual-key codes
// (the window's key-down event) and DirectInput key codes (the keyboard state).
#pragma once

#include <SDL2/SDL_keyboard.h>

#include <cstdint>

namespace platform::sdl_gl {

// 0 for a key without a DirectInput code.
uint8_t directInputCode(SDL_Scancode scancode);
// Letters and digits follow the keyboard layout, the rest the key's place;
// 0 for a key without a virtual-key code.
uint32_t virtualKeyCode(const SDL_Keysym& key);

}  // namespace platform::sdl_gl
