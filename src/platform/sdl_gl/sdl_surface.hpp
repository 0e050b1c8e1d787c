// The SDL window as the shared GL device's surface, and the context
// attributes the device needs of it.
#pragma once

#include "platform/gl/gl_surface.hpp"

namespace platform::sdl_gl {

class SdlSurface : public gl::GlSurface {
 public:
  const char* shaderHead() const override;
  bool hasClipControl() const override;
  bool usable() override;
  void drawableSize(int32_t& width, int32_t& height) override;
  bool drawsLikeFramebuffer() const override;
  void swap() override;
  void setSwapInterval(uint32_t presentationInterval) override;
  void pictureSizeChanged(uint32_t width, uint32_t height) override;
};

// OpenGL 3.3 core, double-buffered 8-bit colour, for the next window.
void setContextAttributes();

}  // namespace platform::sdl_gl
