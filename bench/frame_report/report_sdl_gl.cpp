// The frame report on the Linux backend: the GL device offscreen, unless
// SDL_VIDEODRIVER says otherwise, and no sound.
#include <epoxy/gl.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "report_backend.hpp"

bool installReportBackend(const platform::DisplayOptions& options) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return platform::sdl_gl::install(options);
}

void uninstallReportBackend() { platform::sdl_gl::uninstall(); }

void finishPicture() { glFinish(); }

std::string rendererName() { return reinterpret_cast<const char*>(glGetString(GL_RENDERER)); }

std::string deviceName() { return rendererName() + " on " + std::getenv("SDL_VIDEODRIVER"); }

bool readPicture(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  return platform::sdl_gl::readBackBuffer(rgba, width, height);
}

void pinToLastCore() {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(std::max(1u, std::thread::hardware_concurrency()) - 1, &set);
  pthread_setaffinity_np(pthread_self(), sizeof set, &set);
}

bool mainLoopRunsToTheEnd() { return true; }
