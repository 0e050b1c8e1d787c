// The page's canvas as the shared GL device's surface.
#pragma once

#include "platform/gl/gl_surface.hpp"

namespace platform::web_gl {

class WebSurface : public gl::GlSurface {
 public:
  const char* shaderHead() const override;
  bool hasClipControl() const override { return false; }
  bool usable() override;
  void drawableSize(int32_t& width, int32_t& height) override;
  bool drawsLikeFramebuffer() const override { return likeFramebuffer_; }
  // Looks at the canvas's own buffers; the context is current and draws
  // into the canvas.
  void contextMade();
  // The browser shows the canvas once the animation frame returns.
  void swap() override {}
  // The browser's animation frames pace the page; there is nothing to set.
  void setSwapInterval(uint32_t) override {}
  void pictureSizeChanged(uint32_t width, uint32_t height) override;
  uint32_t contextGeneration() const override;

 private:
  bool likeFramebuffer_ = false;
};

}  // namespace platform::web_gl
