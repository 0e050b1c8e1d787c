// Draws the agreement scene on the GL device with SDL's offscreen driver and
// writes the picture to the PPM file named by its one argument, for the
// Direct3D 9 tests to compare with under Wine.
#include <cstdio>
#include <cstdlib>

#include "../common/game_device.hpp"
#include "d3d9_agreement_scene.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/services.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.ppm\n", argv[0]);
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  using namespace platform;
  if (!sdl_gl::install()) return 1;
  bool ok = sys().createMainWindow(rztest::gameWindow());
  Device* device = ok ? services().graphics->createDevice(rztest::gameParams()) : nullptr;
  std::vector<uint8_t> rgba;
  uint32_t width = 0, height = 0;
  if (device) {
    agreement::drawScene(device);
    ok = sdl_gl::readBackBuffer(rgba, width, height) &&
         agreement::writePpm(argv[1], agreement::pictureOf(rgba, width, height));
  }
  sdl_gl::uninstall();
  if (!device || !ok) {
    std::fprintf(stderr, "%s: no picture written to %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
