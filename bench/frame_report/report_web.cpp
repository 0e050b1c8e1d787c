// The frame report in a browser page: the WebGL2 device on the page's
// canvas. Built with asyncify, so that each present hands the picture to
// the browser and waits for its next animation frame, as the game's own
// page does; with the browser's frame limit lifted
// (--disable-frame-rate-limit) that is as soon as the picture is drawn.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "platform/gl/gl_api.hpp"
#include "platform/web_gl/web_gl_backend.hpp"
#include "report_backend.hpp"

// clang-format off
EM_ASYNC_JS(void, rzNextAnimationFrame, (), {
  await new Promise((resolve) => requestAnimationFrame(resolve));
});
// clang-format on

bool installReportBackend(const platform::DisplayOptions& options) {
  return platform::web_gl::install(options);
}

void uninstallReportBackend() { platform::web_gl::uninstall(); }

void finishPicture() { rzNextAnimationFrame(); }

std::string rendererName() {
  // The unmasked name where the browser gives it (SwiftShader's, say).
  const char* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (emscripten_webgl_enable_extension(emscripten_webgl_get_current_context(),
                                        "WEBGL_debug_renderer_info"))
    name = reinterpret_cast<const char*>(glGetString(0x9246));  // UNMASKED_RENDERER_WEBGL
  return name ? name : "WebGL2";
}

std::string deviceName() { return rendererName() + " in a browser page"; }

bool readPicture(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  return platform::web_gl::readBackBuffer(rgba, width, height);
}

// A page has one thread: there is nothing to pin, and no busy loop to keep.
void pinToLastCore() {}

bool mainLoopRunsToTheEnd() { return false; }
