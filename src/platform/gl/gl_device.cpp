// The OpenGL device's life, its back buffer and presentation, and the
// meshes, textures and fonts it holds.
#include "platform/gl/gl_device.hpp"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/gl/picture_fit.hpp"
#include "platform/mesh_upload_check.hpp"

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

GlMesh* GlDevice::meshOf(MeshHandle mesh) { return slotOf(meshes_, mesh); }

GLuint GlDevice::textureOf(TextureHandle texture) const {
  if (texture == 0 || texture > textures_.size()) return 0;
  return textures_[texture - 1].name;
}

MeshHandle GlDevice::createMesh(const MeshUpload& m) {
  const char* problem = meshUploadProblem(m);
  if (problem) {
    std::fprintf(stderr, "riderozad: mesh not created: %s\n", problem);
    return 0;
  }
  GlMesh mesh;
  mesh.faces = m.faceCount;
  mesh.subsets.assign(m.subsets, m.subsets + m.subsetCount);
  for (uint32_t i = 0; i < m.subsetCount; ++i) {
    mesh.bounds.push_back(boundsOf(m.vertices, m.indices, m.subsets[i]));
    mesh.runs.push_back(runsOf(m.vertices, m.indices, m.subsets[i]));
  }
  const std::vector<uint32_t> indices = withReversedCopy(m.indices, m.faceCount);
  glGenVertexArrays(1, &mesh.vao);
  glGenBuffers(1, &mesh.vbo);
  glGenBuffers(1, &mesh.ibo);
  glBindVertexArray(mesh.vao);
  glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(MeshVertex) * m.vertexCount),
               m.vertices, GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ibo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(uint32_t) * indices.size()),
               indices.data(), GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, position)));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, normal)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(MeshVertex),
                        reinterpret_cast<const void*>(offsetof(MeshVertex, uv)));
  glBindVertexArray(0);
  return addToSlots(meshes_, std::move(mesh));
}

void GlDevice::releaseMesh(MeshHandle handle) {
  GlMesh* mesh = meshOf(handle);
  if (!mesh) return;
  flushDraws();
  glDeleteVertexArrays(1, &mesh->vao);
  glDeleteBuffers(1, &mesh->vbo);
  glDeleteBuffers(1, &mesh->ibo);
  *mesh = GlMesh{};
}

TextureHandle GlDevice::createTexture(const Image& image) {
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (!image.rgba || image.width == 0 || image.height == 0 ||
      image.width > static_cast<uint32_t>(maxSize) ||
      image.height > static_cast<uint32_t>(maxSize)) {
    std::fprintf(stderr, "riderozad: texture not created: %ux%u is not between 1 and %d a side\n",
                 image.width, image.height, maxSize);
    return 0;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(image.width),
               static_cast<GLsizei>(image.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba);
  glGenerateMipmap(GL_TEXTURE_2D);
  // The classic sampler defaults: point sampling, no mip filtering (so the
  // top level only), wrapping at the edges.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  boundTexture_ = name;
  GlTexture texture{name, 255, 0};
  const size_t texels = size_t{image.width} * image.height;
  for (size_t i = 0; i < texels; ++i) {
    const int32_t a = image.rgba[i * 4 + 3];
    texture.minAlpha = std::min(texture.minAlpha, a);
    texture.maxAlpha = std::max(texture.maxAlpha, a);
  }
  return addToSlots(textures_, texture);
}

void GlDevice::releaseTexture(TextureHandle texture) {
  const GLuint name = textureOf(texture);
  if (!name) return;
  flushDraws();
  glDeleteTextures(1, &name);
  textures_[texture - 1] = GlTexture{};
  if (boundTexture_ == name) boundTexture_ = ~0u;
  if (texture_ == texture) texture_ = 0;
}

FontHandle GlDevice::createFont(int32_t height, uint32_t weight, const char* face) {
  return text_.createFont(height, weight, face);
}

int32_t GlDevice::drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                           uint32_t /*format: always left and top*/, uint32_t argb) {
  if (!inScene_) return 0;
  flushDraws();
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  // The game's rectangle in the back buffer's pixels.
  auto scale = [](int32_t v, uint32_t to, uint32_t from) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{v} * to / from, INT32_MIN, INT32_MAX));
  };
  const Rect scaled{
      scale(rect.left, width_, pictureWidth_), scale(rect.top, height_, pictureHeight_),
      scale(rect.right, width_, pictureWidth_), scale(rect.bottom, height_, pictureHeight_)};
  const int32_t drawn = text_.drawText(font, text, count, scaled, argb,
                                       static_cast<int32_t>(width_), static_cast<int32_t>(height_));
  boundProgram_ = -1;
  boundTexture_ = ~0u;
  return scale(drawn, pictureHeight_, height_);
}

void GlDevice::releaseFont(FontHandle font) { text_.releaseFont(font); }

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
