#include "platform/web_gl/web_surface.hpp"

#include <emscripten/html5.h>

#include "platform/web_gl/page_state.hpp"

namespace platform::web_gl {

const char* WebSurface::shaderHead() const {
  return "#version 300 es\nprecision highp float;\nprecision highp int;\n";
}

// A hidden page is a minimised window: nothing it draws can be seen.
bool WebSurface::usable() { return !pageRecord().contextLost && !pageRecord().hidden; }

void WebSurface::drawableSize(int32_t& width, int32_t& height) {
  int w = 0, h = 0;
  emscripten_get_canvas_element_size("#canvas", &w, &h);
  width = w;
  height = h;
}

void WebSurface::pictureSizeChanged(uint32_t width, uint32_t height) {
  pageRecord().pictureWidth = width;
  pageRecord().pictureHeight = height;
}

uint32_t WebSurface::contextGeneration() const { return pageRecord().contextGeneration; }

}  // namespace platform::web_gl
