#include "platform/web_gl/web_surface.hpp"

#include <emscripten/html5.h>

#include "platform/gl/gl_api.hpp"
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

// A WebGL canvas's drawing buffer is a framebuffer object of the browser's
// own, drawn by the same rasteriser as ours; in Chromium on SwiftShader the
// drive's pictures come out alike either way. Only its buffers may differ:
// the context asks for depth, stencil and no antialiasing, and the browser
// chooses the depth's bits.
void WebSurface::contextMade() {
  GLint depth = 0, stencil = 0, samples = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  glGetIntegerv(GL_SAMPLES, &samples);
  likeFramebuffer_ = depth == 24 && stencil == 8 && samples == 0;
}

void WebSurface::pictureSizeChanged(uint32_t width, uint32_t height) {
  pageRecord().pictureWidth = width;
  pageRecord().pictureHeight = height;
}

uint32_t WebSurface::contextGeneration() const { return pageRecord().contextGeneration; }

}  // namespace platform::web_gl
