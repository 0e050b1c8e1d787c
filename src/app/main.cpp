// The game on the SDL2 + OpenGL backend.
#include <SDL2/SDL.h>

#include <filesystem>
#include <string>

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

// The same places, in the same order, that the game tries at start-up.
std::string dataPlaces() {
  char* base = SDL_GetBasePath();
  if (!base)
    return std::string("  the folder the game lies in\n  ") + RIDEROZAD_DATA_FROM_BIN +
           " from there\n";
  std::filesystem::path beside = std::filesystem::path(base).lexically_normal();
  SDL_free(base);
  if (!beside.has_filename()) beside = beside.parent_path();
  return "  " + beside.string() + "\n  " +
         (beside / RIDEROZAD_DATA_FROM_BIN).lexically_normal().string() + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  platform::DisplayOptions options;
  if (const int32_t answered = answerCommandLine(argc, argv, dataPlaces().c_str(), options);
      answered >= 0)
    return answered;
  moveToDataFolder();
  if (!platform::sdl_gl::install(options)) return 1;
  const int32_t exitCode = runGame();
  platform::sdl_gl::uninstall();
  return exitCode;
}
