// The game on the SDL2 + OpenGL backend.
#include <SDL2/SDL.h>

#include <cstdio>
#include <filesystem>

#include "app/command_line.hpp"
#include "app/entry.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"

namespace {

namespace fs = std::filesystem;

bool hasDataFolder(const fs::path& dir) {
  std::error_code ec;
  return fs::is_directory(dir / "Data", ec);
}

// The game opens its files by relative path from the working folder. Started
// from a folder without them (a menu entry, a double-click), it moves to its
// own: the folder the executable lies in (the build's run folder), then the
// data folder installed beside it (RIDEROZAD_DATA_FROM_BIN, set by the
// install rules, is that folder relative to the executable's).
void findDataFolder() {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  if (hasDataFolder(".")) return;
  char* base = SDL_GetBasePath();
  if (!base) {
    std::fprintf(stderr,
                 "riderozad: no Data folder in the working folder %s, and the game's own folder "
                 "is unknown (%s)\n",
                 here.c_str(), SDL_GetError());
    return;
  }
  const fs::path beside = fs::path(base).lexically_normal();
  SDL_free(base);
  const fs::path installed = (beside / RIDEROZAD_DATA_FROM_BIN).lexically_normal();
  for (const fs::path& dir : {beside, installed}) {
    if (!hasDataFolder(dir)) continue;
    fs::current_path(dir, ec);
    if (!ec) return;
    std::fprintf(stderr, "riderozad: cannot change to the data folder %s: %s\n", dir.c_str(),
                 ec.message().c_str());
  }
  std::fprintf(stderr,
               "riderozad: no Data folder in the working folder %s, beside the game in %s or in "
               "%s; the game goes on without the files it reports missing\n",
               here.c_str(), beside.c_str(), installed.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (const int32_t answered = answerCommandLine(argc, argv); answered >= 0) return answered;
  findDataFolder();
  if (!platform::sdl_gl::install()) return 1;
  const int32_t exitCode = runGame();
  platform::sdl_gl::uninstall();
  return exitCode;
}
