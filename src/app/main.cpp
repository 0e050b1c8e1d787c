// The game on the SDL2 + OpenGL backend.
#include "app/entry.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"

int main() {
  if (!platform::sdl_gl::install()) return 1;
  const int32_t exitCode = runGame();
  platform::sdl_gl::uninstall();
  return exitCode;
}
