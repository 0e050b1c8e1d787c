// The platform services the game calls, one per service. A backend fills them
// in before the game starts; the game reaches them only through these.
#pragma once

#include "platform/graphics.hpp"
#include "platform/keyboard.hpp"
#include "platform/music.hpp"
#include "platform/system.hpp"

namespace platform {

struct Services {
  System* system = nullptr;
  Keyboard* keyboard = nullptr;
  GraphicsSystem* graphics = nullptr;
  Music* music = nullptr;
};

Services& services();

inline System& sys() { return *services().system; }

}  // namespace platform
