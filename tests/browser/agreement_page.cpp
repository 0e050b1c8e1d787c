// Draws the agreement scene on the browser backend's WebGL2 device and
// leaves the picture read back from it in the page, as Module.agreement
// ({width, height, rgb} with the rows top first, base64) or, when it cannot,
// Module.agreement.error, for agreement_test.py to fetch.
#include <emscripten/emscripten.h>

#include "../common/game_device.hpp"
#include "../win32/d3d9_agreement_scene.hpp"
#include "platform/services.hpp"
#include "platform/web_gl/web_gl_backend.hpp"

// clang-format off
EM_JS(void, rzHandOver, (const uint8_t* rgb, int size, int width, int height), {
  const bytes = HEAPU8.subarray(rgb, rgb + size);
  let text = "";
  for (let i = 0; i < size; i += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  Module.agreement = {width: width, height: height, rgb: btoa(text)};
});

EM_JS(void, rzHandOverError, (const char* why), {
  Module.agreement = {error: UTF8ToString(why)};
});
// clang-format on

int main() {
  using namespace platform;
  if (!web_gl::install()) {
    rzHandOverError("the backend did not install");
    return 1;
  }
  Device* device = services().system->createMainWindow(rztest::gameWindow())
                       ? services().graphics->createDevice(rztest::gameParams())
                       : nullptr;
  std::vector<uint8_t> rgba;
  uint32_t width = 0, height = 0;
  if (!device) {
    rzHandOverError("no WebGL2 device");
  } else {
    agreement::drawScene(device);
    if (web_gl::readBackBuffer(rgba, width, height)) {
      const agreement::Picture picture = agreement::pictureOf(rgba, width, height);
      rzHandOver(picture.rgb.data(), static_cast<int>(picture.rgb.size()), static_cast<int>(width),
                 static_cast<int>(height));
    } else {
      rzHandOverError("the back buffer could not be read");
    }
  }
  // The page keeps its context, so uninstalling is left to the page's end.
  return 0;
}
