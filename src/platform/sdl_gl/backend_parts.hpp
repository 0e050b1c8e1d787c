// The backend's services, one instance of each for the whole run, and the
// steps that put each back to its start when the backend is uninstalled.
#pragma once

#include "platform/services.hpp"

namespace platform::sdl_gl {

System* systemService();
Keyboard* keyboardService();
GraphicsSystem* graphicsService();
Music* musicService();

void shutDownGraphics();
void shutDownMusic();
void shutDownSystem();

}  // namespace platform::sdl_gl
