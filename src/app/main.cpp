// The game on the SDL2 + OpenGL backend.
#include <SDL2/SDL.h>

#include <filesystem>

#include "app/command_line.hpp"
#include "app/data_folder.hpp"
#include "app/entry.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"

namespace {

// The folder the executable lies in (the build's run folder); the installed
// data lies at RIDEROZAD_DATA_FROM_BIN from it, as the install rules set it.
void moveToDataFolder() {
  char* base = SDL_GetBasePath();
  const std::filesystem::path executableFolder = base ? base : "";
  const bool known = base != nullptr;
  SDL_free(base);
  findDataFolder(executableFolder, RIDEROZAD_DATA_FROM_BIN, known ? "" : SDL_GetError());
}

}  // namespace

int main(int argc, char** argv) {
  if (const int32_t answered = answerCommandLine(argc, argv); answered >= 0) return answered;
  moveToDataFolder();
  if (!platform::sdl_gl::install()) return 1;
  const int32_t exitCode = runGame();
  platform::sdl_gl::uninstall();
  return exitCode;
}
