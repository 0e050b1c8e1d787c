#include "app/command_line.hpp"

#include <cstdio>
#include <cstring>

namespace {

void printHelp(const char* dataPlaces) {
  std::printf(
      "Usage: riderozad [--window] [--desktop] [--sharp] | --help | --version\n"
      "\n"
      "Riderozad is a small first-person driving game: you sit in the driver's seat\n"
      "and steer along a country track among nine traffic cars, with music.\n"
      "\n"
      "Options:\n"
      "  --window     start in a window of any size instead of full screen\n"
      "  --desktop    full screen at the desktop's resolution instead of 1024x768\n"
      "  --sharp      draw at the size the picture is shown instead of 1024x768\n"
      "  --help       print this help\n"
      "  --version    print the version\n"
      "\n"
      "Keys:\n"
      "  Enter        leave the title screen and start the drive\n"
      "  Up           accelerate\n"
      "  Down         brake, then drive backward\n"
      "  Left, Right  steer\n"
      "  Space        record the car's position as a waypoint\n"
      "  Alt+Enter    switch between window and full screen\n"
      "  Escape       quit\n"
      "\n"
      "The game reads Data/, L.wp, R.wp and M.mp3 from the working folder when it\n"
      "has a Data folder, or else from the first of these that has one:\n"
      "%s",
      dataPlaces);
}

}  // namespace

int32_t answerCommandLine(int argc, char** argv, const char* dataPlaces,
                          platform::DisplayOptions& options) {
  options = {};
  bool help = false, version = false;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--window") == 0) {
      options.window = true;
    } else if (std::strcmp(a, "--desktop") == 0) {
      options.desktop = true;
    } else if (std::strcmp(a, "--sharp") == 0) {
      options.sharp = true;
    } else if (std::strcmp(a, "--help") == 0) {
      help = true;
    } else if (std::strcmp(a, "--version") == 0) {
      version = true;
    } else {
      std::fprintf(stderr, "riderozad: unexpected argument '%s'; try 'riderozad --help'\n", a);
      return 2;
    }
  }
  if (help) {
    printHelp(dataPlaces);
    return 0;
  }
  if (version) {
    std::printf("riderozad %s\n", RIDEROZAD_VERSION);
    return 0;
  }
  return -1;
}
