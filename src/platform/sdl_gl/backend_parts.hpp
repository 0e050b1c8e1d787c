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

// Once SDL's video has started: false, with a message, when its driver shows
// nothing and nobody asked for it by name; otherwise the process ends with one
// line on standard error whenever the display connection is lost.
bool holdDisplay();

// Under AddressSanitizer, keeps every library now loaded (the GL driver among
// them) loaded to the end; elsewhere it does nothing.
void keepLibrariesLoaded();

}  // namespace platform::sdl_gl
