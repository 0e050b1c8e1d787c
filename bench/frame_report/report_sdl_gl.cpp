// The frame report on the Linux backend: the GL device offscreen, unless
// SDL_VIDEODRIVER says otherwise, and no sound.
#include <epoxy/gl.h>

#include <cstdlib>

#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "report_backend.hpp"

bool installReportBackend() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return platform::sdl_gl::install();
}

void uninstallReportBackend() { platform::sdl_gl::uninstall(); }

void finishPicture() { glFinish(); }

std::string deviceName() {
  return std::string(reinterpret_cast<const char*>(glGetString(GL_RENDERER))) + " on " +
         std::getenv("SDL_VIDEODRIVER");
}
