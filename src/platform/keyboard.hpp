// Keyboard service: the whole keyboard as 256 bytes indexed by the classic
// DirectInput key codes, 0x80 for a key that is down, 0 for one that is up.
#pragma once

#include <cstdint>

#include "platform/types.hpp"

namespace platform {

constexpr int KEY_STATE_SIZE = 256;

enum KeyCode : uint8_t {
  DIK_ESCAPE = 0x01,
  DIK_RETURN = 0x1C,
  DIK_LMENU = 0x38,  // left Alt
  DIK_SPACE = 0x39,
  DIK_NUMPADENTER = 0x9C,
  DIK_RMENU = 0xB8,  // right Alt
  DIK_UP = 0xC8,
  DIK_LEFT = 0xCB,
  DIK_RIGHT = 0xCD,
  DIK_DOWN = 0xD0,
};

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // Non-exclusive background access bound to the main window.
  virtual void setCooperativeLevel() = 0;
  virtual Result acquire() = 0;
  virtual Result getState(uint8_t (&state)[KEY_STATE_SIZE]) = 0;
};

}  // namespace platform
