#include "app/command_line.hpp"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

void printHelp() {
  std::printf(
      "Usage: riderozad [--help | --version]\n"
      "\n"
      "Riderozad is a small first-person driving game: you sit in the driver's seat\n"
      "and steer along a country track among nine traffic cars, with music.\n"
      "\n"
      "Keys:\n"
      "  Enter        leave the title screen and start the drive\n"
      "  Up           accelerate\n"
      "  Down         brake, then drive backward\n"
      "  Left, Right  steer\n"
      "  Space        record the car's position as a waypoint\n"
      "  Escape       quit\n"
      "\n"
      "The game reads Data/, L.wp, R.wp and M.mp3 from the working folder when it\n"
      "has a Data folder, or else from the first of these that has one:\n");
  // The same places, in the same order, that the game tries at start-up.
  char* base = SDL_GetBasePath();
  if (base) {
    std::filesystem::path beside = std::filesystem::path(base).lexically_normal();
    SDL_free(base);
    if (!beside.has_filename()) beside = beside.parent_path();
    std::printf("  %s\n  %s\n", beside.c_str(),
                (beside / RIDEROZAD_DATA_FROM_BIN).lexically_normal().c_str());
  } else {
    std::printf("  the folder the game lies in\n  %s from there\n", RIDEROZAD_DATA_FROM_BIN);
  }
}

}  // namespace

int32_t answerCommandLine(int argc, char** argv) {
  if (argc < 2) return -1;
  const bool version = std::strcmp(argv[1], "--version") == 0;
  const bool help = std::strcmp(argv[1], "--help") == 0;
  if (argc == 2 && version) {
    std::printf("riderozad %s\n", RIDEROZAD_VERSION);
    return 0;
  }
  if (argc == 2 && help) {
    printHelp();
    return 0;
  }
  // Only one argument is taken: name the first one that is not it.
  const char* what = (version || help) ? argv[2] : argv[1];
  std::fprintf(stderr, "riderozad: unexpected argument '%s'; try 'riderozad --help'\n", what);
  return 2;
}
