// What the shared OpenGL device needs of the window or canvas it draws into,
// and of the text it draws: each GL backend gives one of each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::gl {

class GlSurface {
 public:
  virtual ~GlSurface() = default;
  // The first lines of every shader: the GLSL version and, for GLSL ES, the
  // default precisions.
  virtual const char* shaderHead() const = 0;
  // True when clip depth 0..w can be asked of GL itself (glClipControl).
  virtual bool hasClipControl() const = 0;
  // False while nothing can be shown: the window hidden or minimised, the
  // page hidden, the context lost. The device is then lost.
  virtual bool usable() = 0;
  // The drawable's size in pixels.
  virtual void drawableSize(int32_t& width, int32_t& height) = 0;
  // True when the drawable has 24-bit depth and 8-bit stencil, one sample a
  // pixel, and draws every pixel exactly as a framebuffer object of its size
  // would. The device then draws straight into it whenever it is exactly the
  // back buffer's size, and saves the copy.
  virtual bool drawsLikeFramebuffer() const = 0;
  // Shows the drawable's picture (a buffer swap where the backend has one).
  virtual void swap() = 0;
  // Whether presents wait for the display, as the present parameters ask.
  virtual void setSwapInterval(uint32_t presentationInterval) = 0;
  // The back buffer's size changed, for whatever maps window points to it.
  virtual void pictureSizeChanged(uint32_t width, uint32_t height) = 0;
  // Counts the times the context was lost and came back empty (WebGL's
  // context loss); a desktop context is never lost.
  virtual uint32_t contextGeneration() const { return 0; }
};

// One line of text as coverage, 0..255 a pixel, rows top first.
struct LineBitmap {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> coverage;
};

// Turns text into coverage bitmaps: SDL_ttf on the desktop, stb_truetype in
// the browser.
class FontRasterizer {
 public:
  virtual ~FontRasterizer() = default;
  // A face whose lines are about `height` pixels apart; 0, said once on
  // standard error, when there is none. `lineSkip` gets the exact spacing.
  virtual uint32_t openFace(int32_t height, uint32_t weight, const char* face,
                            int32_t& lineSkip) = 0;
  virtual void closeFace(uint32_t face) = 0;
  // One line, cut at `maxSide` pixels a side; false when it cannot be drawn.
  virtual bool renderLine(uint32_t face, const std::string& text, int32_t maxSide,
                          LineBitmap& out) = 0;
  // Closes every face and lets the library go; openFace starts it again.
  virtual void shutDown() = 0;
};

}  // namespace platform::gl
