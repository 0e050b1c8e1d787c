// The OpenGL device's life, its back buffer and presentation.
#include "platform/gl/gl_device.hpp"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/gl/picture_fit.hpp"

namespace platform::gl {

namespace {

constexpr uint32_t MAX_BACK_BUFFER_SIDE = 8192;

}  // namespace

bool validParams(const PresentParams& p, std::string& why) {
  if (p.backBufferWidth == 0 || p.backBufferHeight == 0 ||
      p.backBufferWidth > MAX_BACK_BUFFER_SIDE || p.backBufferHeight > MAX_BACK_BUFFER_SIDE) {
    why = "back buffer " + std::to_string(p.backBufferWidth) + "x" +
          std::to_string(p.backBufferHeight) + " is not between 1 and " +
          std::to_string(MAX_BACK_BUFFER_SIDE) + " on each side";
    return false;
  }
  if (p.backBufferFormat != Format::X8R8G8B8) {
    why = "only the X8R8G8B8 back buffer format is available";
    return false;
  }
  if (p.enableAutoDepthStencil && p.autoDepthStencilFormat != Format::D24S8) {
    why = "only the D24S8 depth-stencil format is available";
    return false;
  }
  return true;
}

bool makeFramebuffer(uint32_t width, uint32_t height, GLuint& fbo, GLuint& color, GLuint& depth) {
  glGenFramebuffers(1, &fbo);
  glGenRenderbuffers(1, &color);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, color);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void deleteFramebuffer(GLuint& fbo, GLuint& color, GLuint& depth) {
  if (fbo) glDeleteFramebuffers(1, &fbo);
  if (color) glDeleteRenderbuffers(1, &color);
  if (depth) glDeleteRenderbuffers(1, &depth);
  fbo = color = depth = 0;
}

bool GlDevice::init(const PresentParams& params, std::string& error) {
  params_ = params;
  pictureWidth_ = params.backBufferWidth;
  pictureHeight_ = params.backBufferHeight;
  drawnSize(pictureWidth_, pictureHeight_, width_, height_);
  generation_ = surface_.contextGeneration();
  if (!makeContextObjects(error)) return false;
  setDefaultState();
  return true;
}

bool GlDevice::makeContextObjects(std::string& error) {
  if (!makeFramebuffer(width_, height_, fbo_, colorBuffer_, depthBuffer_)) {
    error = "the " + std::to_string(width_) + "x" + std::to_string(height_) +
            " back buffer with 24-bit depth and 8-bit stencil cannot be made";
    return false;
  }
  for (uint32_t variant = 0; variant < SCENE_VARIANTS; ++variant)
    if (!buildSceneProgram(scene_[variant], variant, surface_.shaderHead(), error)) return false;
  if (!text_.init(surface_.shaderHead(), error)) return false;
  text_.setScale(static_cast<float>(height_) / static_cast<float>(pictureHeight_));
  // Clip depth 0..w as the classic pipeline has it; without clip control
  // the shader moves it into GL's -w..w.
  clipControl_ = surface_.hasClipControl();
  chooseTarget();
  setFixedGlState();
  return true;
}

// The drawable itself where it is exactly the back buffer and draws like it;
// otherwise the back buffer object, copied to the drawable at each present.
void GlDevice::chooseTarget() {
  int32_t dw = 0, dh = 0;
  surface_.drawableSize(dw, dh);
  const bool same = dw == static_cast<int32_t>(width_) && dh == static_cast<int32_t>(height_);
  target_ = same && surface_.drawsLikeFramebuffer() ? 0 : fbo_;
}

void GlDevice::drawnSize(uint32_t pictureWidth, uint32_t pictureHeight, uint32_t& width,
                         uint32_t& height) {
  width = pictureWidth;
  height = pictureHeight;
  if (!sharp_) return;
  int32_t dw = 0, dh = 0;
  surface_.drawableSize(dw, dh);
  const PictureFit fit =
      fitPicture(static_cast<int32_t>(pictureWidth), static_cast<int32_t>(pictureHeight), dw, dh);
  if (fit.width <= 0 || fit.height <= 0) return;  // nothing shown yet: the game's size
  width = std::min<uint32_t>(static_cast<uint32_t>(fit.width), MAX_BACK_BUFFER_SIDE);
  height = std::min<uint32_t>(static_cast<uint32_t>(fit.height), MAX_BACK_BUFFER_SIDE);
}

bool GlDevice::resizeBackBuffer(uint32_t width, uint32_t height) {
  GLuint fbo = 0, color = 0, depth = 0;
  if (!makeFramebuffer(width, height, fbo, color, depth)) {
    deleteFramebuffer(fbo, color, depth);
    glBindFramebuffer(GL_FRAMEBUFFER, target_);
    std::fprintf(stderr, "riderozad: no %ux%u back buffer\n", width, height);
    return false;
  }
  deleteFramebuffer(fbo_, colorBuffer_, depthBuffer_);
  fbo_ = fbo;
  colorBuffer_ = color;
  depthBuffer_ = depth;
  width_ = width;
  height_ = height;
  return true;
}

// After a present. Sharp, the next frame is drawn at the picture's new place
// in a drawable that changed its size (the frame begins with a clear, so
// nothing is lost); either way the target is chosen again.
void GlDevice::followDrawable() {
  uint32_t width = width_, height = height_;
  drawnSize(pictureWidth_, pictureHeight_, width, height);
  const bool resized = (width != width_ || height != height_) && resizeBackBuffer(width, height);
  chooseTarget();
  if (!resized) {
    glBindFramebuffer(GL_FRAMEBUFFER, target_);
    return;
  }
  text_.setScale(static_cast<float>(height_) / static_cast<float>(pictureHeight_));
  setFixedGlState();
}

void GlDevice::forgetContext() {
  // Deleting the names of a lost context would touch nothing: they are let
  // go. The handles given out before die with them, and the game loads its
  // scene again after the reset.
  meshes_.clear();
  textures_.clear();
  for (SceneProgram& p : scene_) p = SceneProgram{};
  fbo_ = colorBuffer_ = depthBuffer_ = 0;
  text_.forgetContext();
  texture_ = 0;
  boundProgram_ = -1;
  boundTexture_ = ~0u;
}

void GlDevice::setFixedGlState() {
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glViewport(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_));
  if (clipControl_) setZeroToOneClipDepth();
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  depthFunc_ = GL_LEQUAL;
  glDepthMask(GL_TRUE);
  // Clockwise faces are the front; counter-clockwise ones are culled.
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  glDisable(GL_BLEND);
  for (const SceneProgram& p : scene_) {
    glUseProgram(p.program);
    glUniform1i(p.sampler, 0);
    glUniform1i(p.remapDepth, clipControl_ ? 0 : 1);
    glUniform2f(p.pixelOffset, 1.0f / static_cast<float>(width_),
                -1.0f / static_cast<float>(height_));
  }
  boundProgram_ = static_cast<int>(SCENE_VARIANTS) - 1;
  boundTexture_ = ~0u;
  std::fill(std::begin(sentValid_), std::end(sentValid_), false);
}

void GlDevice::destroy() {
  queue_.close();
  text_.destroy();
  for (GlMesh& m : meshes_) {
    if (!m.vao) continue;
    glDeleteVertexArrays(1, &m.vao);
    glDeleteBuffers(1, &m.vbo);
    glDeleteBuffers(1, &m.ibo);
  }
  meshes_.clear();
  for (GlTexture& t : textures_)
    if (t.name) glDeleteTextures(1, &t.name);
  textures_.clear();
  for (SceneProgram& p : scene_) {
    if (p.program) glDeleteProgram(p.program);
    p = SceneProgram{};
  }
  boundProgram_ = -1;
  deleteFramebuffer(fbo_, colorBuffer_, depthBuffer_);
}

Result GlDevice::testCooperativeLevel() {
  if (!surface_.usable()) {
    lost_ = true;
    return Result::DeviceLost;
  }
  return lost_ ? Result::DeviceNotReset : Result::Ok;
}

Result GlDevice::reset(const PresentParams& params) {
  if (!surface_.usable()) {
    lost_ = true;
    return Result::DeviceLost;
  }
  std::string why;
  if (!validParams(params, why)) {
    std::fprintf(stderr, "riderozad: device reset refused: %s\n", why.c_str());
    return Result::Failed;
  }
  queue_.close();  // what was held belongs to the lost frame
  if (generation_ != surface_.contextGeneration()) {
    // The context came back empty: everything is made again, at the size
    // asked for.
    forgetContext();
    pictureWidth_ = params.backBufferWidth;
    pictureHeight_ = params.backBufferHeight;
    drawnSize(pictureWidth_, pictureHeight_, width_, height_);
    if (!makeContextObjects(why)) {
      std::fprintf(stderr, "riderozad: device reset refused: %s\n", why.c_str());
      return Result::Failed;
    }
    generation_ = surface_.contextGeneration();
    surface_.pictureSizeChanged(pictureWidth_, pictureHeight_);
  } else if (params.backBufferWidth != pictureWidth_ || params.backBufferHeight != pictureHeight_) {
    uint32_t width = 0, height = 0;
    drawnSize(params.backBufferWidth, params.backBufferHeight, width, height);
    if ((width != width_ || height != height_) && !resizeBackBuffer(width, height)) {
      std::fprintf(stderr, "riderozad: device reset refused\n");
      return Result::Failed;
    }
    pictureWidth_ = params.backBufferWidth;
    pictureHeight_ = params.backBufferHeight;
    text_.setScale(static_cast<float>(height_) / static_cast<float>(pictureHeight_));
    surface_.pictureSizeChanged(pictureWidth_, pictureHeight_);
  }
  params_ = params;
  surface_.setSwapInterval(params.presentationInterval);
  chooseTarget();
  setFixedGlState();
  setDefaultState();
  lost_ = false;
  return Result::Ok;
}

Result GlDevice::clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
  GLbitfield bits = 0;
  if (flags & CLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
  if (flags & CLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
  // Nothing this device draws tests or shows the stencil, so clearing it
  // with the depth changes no pixel, and lets the rasteriser write whole
  // depth-stencil words instead of keeping the stencil bits of each.
  if (flags & (CLEAR_ZBUFFER | CLEAR_STENCIL)) bits |= GL_STENCIL_BUFFER_BIT;
  if (bits == 0) return Result::Ok;
  flushDraws();
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
               (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
  clearDepth(std::clamp(z, 0.0f, 1.0f));
  glClearStencil(static_cast<GLint>(stencil & 0xFF));
  glClear(bits);
  if (bits & GL_DEPTH_BUFFER_BIT) queue_.open(std::clamp(z, 0.0f, 1.0f));
  return Result::Ok;
}

Result GlDevice::beginScene() {
  if (inScene_) return Result::Failed;
  inScene_ = true;
  return Result::Ok;
}

Result GlDevice::endScene() {
  if (!inScene_) return Result::Failed;
  flushDraws();
  inScene_ = false;
  return Result::Ok;
}

Result GlDevice::present() {
  flushDraws();
  if (lost_ || !surface_.usable()) {
    lost_ = true;
    return Result::DeviceLost;
  }
  if (target_ == 0) {
    // Drawn in place. Should the drawable have changed size meanwhile, this
    // one picture shows unscaled; the next goes through the back buffer.
    surface_.swap();
    followDrawable();
    return Result::Ok;
  }
  int32_t dw = 0, dh = 0;
  surface_.drawableSize(dw, dh);
  const PictureFit fit =
      fitPicture(static_cast<int32_t>(pictureWidth_), static_cast<int32_t>(pictureHeight_), dw, dh);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // Black bars only where the picture leaves room for them: a software
  // rasteriser pays for every pixel it clears.
  if (fit.x != 0 || fit.y != 0 || fit.width != dw || fit.height != dh) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  const bool sameSize =
      fit.width == static_cast<int32_t>(width_) && fit.height == static_cast<int32_t>(height_);
  glBlitFramebuffer(0, 0, static_cast<GLint>(width_), static_cast<GLint>(height_), fit.x,
                    dh - fit.y - fit.height, fit.x + fit.width, dh - fit.y, GL_COLOR_BUFFER_BIT,
                    sameSize ? GL_NEAREST : GL_LINEAR);
  surface_.swap();
  followDrawable();
  return Result::Ok;
}

bool GlDevice::readBack(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  width = width_;
  height = height_;
  const size_t row = size_t{width_} * 4;
  std::vector<uint8_t> bottomUp(row * height_);
  flushDraws();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA,
               GL_UNSIGNED_BYTE, bottomUp.data());
  rgba.resize(bottomUp.size());
  for (uint32_t y = 0; y < height_; ++y)
    std::copy_n(bottomUp.data() + (height_ - 1 - y) * row, row, rgba.data() + y * row);
  return true;
}

}  // namespace platform::gl
