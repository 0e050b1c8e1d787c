// Graphics system and device on OpenGL 3.3 core. The device draws into a
// back buffer of its own (a framebuffer object of the game's size) and shows
// it scaled to the window, keeping its shape, with black bars.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/mesh_upload_check.hpp"
#include "platform/sdl_gl/backend_parts.hpp"
#include "platform/sdl_gl/gl_shaders.hpp"
#include "platform/sdl_gl/gl_text.hpp"
#include "platform/sdl_gl/sdl_gl_backend.hpp"
#include "platform/sdl_gl/window_state.hpp"

namespace platform::sdl_gl {

namespace {

constexpr uint32_t MAX_BACK_BUFFER_SIDE = 8192;
constexpr uint32_t TEXTURE_STAGES = 8;

constexpr uint32_t DIRTY_TRANSFORM = 1, DIRTY_LIGHTS = 2, DIRTY_MATERIAL = 4, DIRTY_STATES = 8;

Matrix identity() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

// a * b for row vectors: a point goes through a first.
Matrix multiply(const Matrix& a, const Matrix& b) {
  Matrix c{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) c.m[i][j] += a.m[i][k] * b.m[k][j];
  return c;
}

// Inverse of the upper 3 by 3 of m, row-major; false when it is singular.
bool inverse3(const Matrix& m, float out[9]) {
  const double a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
  const double d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
  const double g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
  const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const double det = a * A + b * B + c * C;
  if (det == 0.0 || !std::isfinite(det)) return false;
  const double r = 1.0 / det;
  const double inv[9] = {A * r, -(b * i - c * h) * r, (b * f - c * e) * r,
                         B * r, (a * i - c * g) * r,  -(a * f - c * d) * r,
                         C * r, -(a * h - b * g) * r, (a * e - b * d) * r};
  for (int k = 0; k < 9; ++k) out[k] = static_cast<float>(inv[k]);
  return true;
}

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

void setContextAttributes() {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // Depth and stencil live in the back buffer object, not in the window.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
}

// Colour and 24-bit depth with 8-bit stencil renderbuffers in one framebuffer.
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

struct GlMesh {
  GLuint vao = 0, vbo = 0, ibo = 0;
  std::vector<SubsetRange> subsets;
};

struct LightSlot {
  Light light{};
  bool set = false;
  bool enabled = false;
};

class GlDevice : public Device {
 public:
  bool init(const PresentParams& params, std::string& error);
  void destroy();
  bool readBack(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height);

  Result testCooperativeLevel() override;
  Result reset(const PresentParams& params) override;
  Result clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) override;
  Result beginScene() override;
  Result endScene() override;
  Result present() override;
  Result setRenderState(RenderState state, uint32_t value) override;
  Result setTransform(TransformState state, const Matrix& m) override;
  Result getTransform(TransformState state, Matrix& out) override;
  Result setMaterial(const Material& material) override;
  Result setTexture(uint32_t stage, TextureHandle texture) override;
  Result setLight(uint32_t index, const Light& light) override;
  Result lightEnable(uint32_t index, bool enable) override;
  MeshHandle createMesh(const MeshUpload& mesh) override;
  Result drawSubset(MeshHandle mesh, uint32_t subset) override;
  void releaseMesh(MeshHandle mesh) override;
  TextureHandle createTexture(const Image& image) override;
  void releaseTexture(TextureHandle texture) override;
  FontHandle createFont(int32_t height, uint32_t weight, const char* face) override;
  int32_t drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                   uint32_t format, uint32_t argb) override;
  void releaseFont(FontHandle font) override;

 private:
  void setDefaultState();
  void setFixedGlState();
  void prepareDraw();
  GlMesh* meshOf(MeshHandle mesh);
  GLuint textureOf(TextureHandle texture) const;

  PresentParams params_{};
  uint32_t width_ = 0, height_ = 0;
  GLuint fbo_ = 0, colorBuffer_ = 0, depthBuffer_ = 0;
  SceneProgram scene_;
  TextRenderer text_;
  bool clipControl_ = false;
  bool programBound_ = false;
  uint32_t dirty_ = ~0u;

  uint32_t states_[RENDER_STATE_LIMIT] = {};
  Matrix world_{}, view_{}, projection_{};
  Material material_{};
  TextureHandle texture_ = 0;
  LightSlot lights_[MAX_LIGHTS];

  std::vector<GlMesh> meshes_;    // handle = index + 1; vao 0 marks a free entry
  std::vector<GLuint> textures_;  // handle = index + 1; 0 marks a free entry
  bool inScene_ = false;
  bool lost_ = false;
};

bool GlDevice::init(const PresentParams& params, std::string& error) {
  params_ = params;
  width_ = params.backBufferWidth;
  height_ = params.backBufferHeight;
  if (!makeFramebuffer(width_, height_, fbo_, colorBuffer_, depthBuffer_)) {
    error = "the " + std::to_string(width_) + "x" + std::to_string(height_) +
            " back buffer with 24-bit depth and 8-bit stencil cannot be made";
    return false;
  }
  if (!buildSceneProgram(scene_, error)) return false;
  if (!text_.init(error)) return false;
  // Clip depth 0..w as the classic pipeline has it; without clip control
  // the shader moves it into GL's -w..w.
  clipControl_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  setFixedGlState();
  setDefaultState();
  return true;
}

void GlDevice::setFixedGlState() {
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glViewport(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_));
  if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  // Clockwise faces are the front; counter-clockwise ones are culled.
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  glDisable(GL_BLEND);
  glUseProgram(scene_.program);
  glUniform1i(scene_.sampler, 0);
  glUniform1i(scene_.remapDepth, clipControl_ ? 0 : 1);
  glUniform2f(scene_.pixelOffset, 1.0f / static_cast<float>(width_),
              -1.0f / static_cast<float>(height_));
  programBound_ = true;
}

// The state a freshly created or reset classic device starts with.
void GlDevice::setDefaultState() {
  std::fill(std::begin(states_), std::end(states_), 0u);
  states_[static_cast<uint32_t>(RenderState::Lighting)] = 1;
  states_[static_cast<uint32_t>(RenderState::AlphaFunc)] = CMP_ALWAYS;
  states_[static_cast<uint32_t>(RenderState::DiffuseMaterialSource)] = MCS_COLOR1;
  states_[static_cast<uint32_t>(RenderState::SpecularMaterialSource)] = MCS_COLOR2;
  world_ = view_ = projection_ = identity();
  material_ = Material{};
  material_.diffuse = {1, 1, 1, 1};
  texture_ = 0;
  for (LightSlot& l : lights_) l = LightSlot{};
  inScene_ = false;
  dirty_ = ~0u;
}

void GlDevice::destroy() {
  text_.destroy();
  for (GlMesh& m : meshes_) {
    if (!m.vao) continue;
    glDeleteVertexArrays(1, &m.vao);
    glDeleteBuffers(1, &m.vbo);
    glDeleteBuffers(1, &m.ibo);
  }
  meshes_.clear();
  for (GLuint& t : textures_)
    if (t) glDeleteTextures(1, &t);
  textures_.clear();
  if (scene_.program) glDeleteProgram(scene_.program);
  scene_ = SceneProgram{};
  deleteFramebuffer(fbo_, colorBuffer_, depthBuffer_);
}

Result GlDevice::testCooperativeLevel() {
  if (!windowVisible()) {
    lost_ = true;
    return Result::DeviceLost;
  }
  return lost_ ? Result::DeviceNotReset : Result::Ok;
}

Result GlDevice::reset(const PresentParams& params) {
  if (!windowVisible()) {
    lost_ = true;
    return Result::DeviceLost;
  }
  std::string why;
  if (!validParams(params, why)) {
    std::fprintf(stderr, "riderozad: device reset refused: %s\n", why.c_str());
    return Result::Failed;
  }
  if (params.backBufferWidth != width_ || params.backBufferHeight != height_) {
    GLuint fbo = 0, color = 0, depth = 0;
    if (!makeFramebuffer(params.backBufferWidth, params.backBufferHeight, fbo, color, depth)) {
      deleteFramebuffer(fbo, color, depth);
      glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
      std::fprintf(stderr, "riderozad: device reset refused: no %ux%u back buffer\n",
                   params.backBufferWidth, params.backBufferHeight);
      return Result::Failed;
    }
    deleteFramebuffer(fbo_, colorBuffer_, depthBuffer_);
    fbo_ = fbo;
    colorBuffer_ = color;
    depthBuffer_ = depth;
    width_ = params.backBufferWidth;
    height_ = params.backBufferHeight;
    windowRecord().pictureWidth = width_;
    windowRecord().pictureHeight = height_;
  }
  params_ = params;
  SDL_GL_SetSwapInterval(params.presentationInterval == PRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
  setFixedGlState();
  setDefaultState();
  lost_ = false;
  return Result::Ok;
}

Result GlDevice::clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) {
  GLbitfield bits = 0;
  if (flags & CLEAR_TARGET) bits |= GL_COLOR_BUFFER_BIT;
  if (flags & CLEAR_ZBUFFER) bits |= GL_DEPTH_BUFFER_BIT;
  if (flags & 4u) bits |= GL_STENCIL_BUFFER_BIT;
  if (bits == 0) return Result::Ok;
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
               (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
  glClearDepth(std::clamp(z, 0.0f, 1.0f));
  glClearStencil(static_cast<GLint>(stencil & 0xFF));
  glClear(bits);
  return Result::Ok;
}

Result GlDevice::beginScene() {
  if (inScene_) return Result::Failed;
  inScene_ = true;
  return Result::Ok;
}

Result GlDevice::endScene() {
  if (!inScene_) return Result::Failed;
  inScene_ = false;
  return Result::Ok;
}

Result GlDevice::present() {
  SDL_Window* window = windowRecord().window;
  if (lost_ || !windowVisible()) {
    lost_ = true;
    return Result::DeviceLost;
  }
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(window, &dw, &dh);
  const PictureFit fit =
      fitPicture(static_cast<int32_t>(width_), static_cast<int32_t>(height_), dw, dh);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  const bool sameSize =
      fit.width == static_cast<int32_t>(width_) && fit.height == static_cast<int32_t>(height_);
  glBlitFramebuffer(0, 0, static_cast<GLint>(width_), static_cast<GLint>(height_), fit.x,
                    dh - fit.y - fit.height, fit.x + fit.width, dh - fit.y, GL_COLOR_BUFFER_BIT,
                    sameSize ? GL_NEAREST : GL_LINEAR);
  SDL_GL_SwapWindow(window);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  return Result::Ok;
}

Result GlDevice::setRenderState(RenderState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  if (s >= RENDER_STATE_LIMIT) return Result::Failed;
  states_[s] = value;
  dirty_ |= DIRTY_STATES;
  return Result::Ok;
}

Result GlDevice::setTransform(TransformState state, const Matrix& m) {
  switch (state) {
    case TransformState::World:
      world_ = m;
      dirty_ |= DIRTY_TRANSFORM;
      return Result::Ok;
    case TransformState::View:
      view_ = m;
      dirty_ |= DIRTY_TRANSFORM | DIRTY_LIGHTS;
      return Result::Ok;
    case TransformState::Projection:
      projection_ = m;
      dirty_ |= DIRTY_TRANSFORM;
      return Result::Ok;
  }
  return Result::Failed;
}

Result GlDevice::getTransform(TransformState state, Matrix& out) {
  switch (state) {
    case TransformState::World:
      out = world_;
      return Result::Ok;
    case TransformState::View:
      out = view_;
      return Result::Ok;
    case TransformState::Projection:
      out = projection_;
      return Result::Ok;
  }
  return Result::Failed;
}

Result GlDevice::setMaterial(const Material& material) {
  material_ = material;
  dirty_ |= DIRTY_MATERIAL;
  return Result::Ok;
}

Result GlDevice::setTexture(uint32_t stage, TextureHandle texture) {
  if (stage >= TEXTURE_STAGES) return Result::Failed;
  if (texture != 0 && textureOf(texture) == 0) return Result::Failed;
  // Only stage 0 takes part in drawing; the others are accepted and unused.
  if (stage == 0) texture_ = texture;
  return Result::Ok;
}

Result GlDevice::setLight(uint32_t index, const Light& light) {
  if (index >= MAX_LIGHTS) return Result::Failed;
  if (light.type != LightType::Directional && light.type != LightType::Point &&
      light.type != LightType::Spot)
    return Result::Failed;
  // A directional light needs a direction: the record is refused and the
  // previous one stays.
  const Vec3& d = light.direction;
  if (light.type != LightType::Point && d.x == 0 && d.y == 0 && d.z == 0) return Result::Failed;
  lights_[index].light = light;
  lights_[index].set = true;
  dirty_ |= DIRTY_LIGHTS;
  return Result::Ok;
}

Result GlDevice::lightEnable(uint32_t index, bool enable) {
  if (index >= MAX_LIGHTS) return Result::Failed;
  LightSlot& slot = lights_[index];
  if (!slot.set) {
    // Enabling a light that was never set makes the default one: white,
    // shining along +z.
    slot.light = Light{};
    slot.light.type = LightType::Directional;
    slot.light.diffuse = {1, 1, 1, 0};
    slot.light.direction = {0, 0, 1};
    slot.set = true;
  }
  slot.enabled = enable;
  dirty_ |= DIRTY_LIGHTS;
  return Result::Ok;
}

void GlDevice::prepareDraw() {
  const SceneProgram& p = scene_;
  if (!programBound_) {
    glUseProgram(p.program);
    programBound_ = true;
  }
  if (dirty_ & DIRTY_TRANSFORM) {
    const Matrix worldView = multiply(world_, view_);
    const Matrix worldViewProj = multiply(worldView, projection_);
    glUniformMatrix4fv(p.worldViewProj, 1, GL_FALSE, &worldViewProj.m[0][0]);
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView.m[0][0]);
    // The inverse transpose carries normals; uploaded untransposed, GLSL
    // reads the transpose of the transpose.
    float inv[9] = {};
    inverse3(worldView, inv);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_TRUE, inv);
  }
  if (dirty_ & DIRTY_LIGHTS) {
    float dir[SHADER_LIGHTS * 3] = {}, diffuse[SHADER_LIGHTS * 3] = {};
    float specular[SHADER_LIGHTS * 3] = {}, ambient[SHADER_LIGHTS * 3] = {};
    int count = 0;
    for (const LightSlot& slot : lights_) {
      // The shader lights directional lights only; the game uses no others.
      if (!slot.enabled || slot.light.type != LightType::Directional) continue;
      const Light& l = slot.light;
      const Vec3& d = l.direction;
      float v[3];
      for (int c = 0; c < 3; ++c)
        v[c] = d.x * view_.m[0][c] + d.y * view_.m[1][c] + d.z * view_.m[2][c];
      const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
      for (int c = 0; c < 3; ++c) dir[count * 3 + c] = len > 0 ? v[c] / len : 0.0f;
      const float lc[3][3] = {{l.diffuse.r, l.diffuse.g, l.diffuse.b},
                              {l.specular.r, l.specular.g, l.specular.b},
                              {l.ambient.r, l.ambient.g, l.ambient.b}};
      for (int c = 0; c < 3; ++c) {
        diffuse[count * 3 + c] = lc[0][c];
        specular[count * 3 + c] = lc[1][c];
        ambient[count * 3 + c] = lc[2][c];
      }
      ++count;
    }
    glUniform1i(p.lightCount, count);
    glUniform3fv(p.lightDir, SHADER_LIGHTS, dir);
    glUniform3fv(p.lightDiffuse, SHADER_LIGHTS, diffuse);
    glUniform3fv(p.lightSpecular, SHADER_LIGHTS, specular);
    glUniform3fv(p.lightAmbient, SHADER_LIGHTS, ambient);
  }
  if (dirty_ & DIRTY_MATERIAL) {
    const Material& m = material_;
    glUniform4f(p.matDiffuse, m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
    glUniform3f(p.matAmbient, m.ambient.r, m.ambient.g, m.ambient.b);
    glUniform3f(p.matSpecular, m.specular.r, m.specular.g, m.specular.b);
    glUniform3f(p.matEmissive, m.emissive.r, m.emissive.g, m.emissive.b);
    glUniform1f(p.matPower, m.power);
  }
  if (dirty_ & DIRTY_STATES) {
    auto state = [&](RenderState s) { return states_[static_cast<uint32_t>(s)]; };
    glUniform1i(p.lighting, state(RenderState::Lighting) != 0);
    glUniform1i(p.specularEnable, state(RenderState::SpecularEnable) != 0);
    glUniform1i(p.alphaTest, state(RenderState::AlphaTestEnable) != 0);
    glUniform1i(p.alphaFunc, static_cast<GLint>(state(RenderState::AlphaFunc)));
    glUniform1f(p.alphaRef, static_cast<float>(state(RenderState::AlphaRef) & 0xFF));
  }
  dirty_ = 0;
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, textureOf(texture_));
  glUniform1i(p.textured, texture_ != 0);
}

GlMesh* GlDevice::meshOf(MeshHandle mesh) {
  if (mesh == 0 || mesh > meshes_.size() || !meshes_[mesh - 1].vao) return nullptr;
  return &meshes_[mesh - 1];
}

GLuint GlDevice::textureOf(TextureHandle texture) const {
  if (texture == 0 || texture > textures_.size()) return 0;
  return textures_[texture - 1];
}

MeshHandle GlDevice::createMesh(const MeshUpload& m) {
  const char* problem = meshUploadProblem(m);
  if (problem) {
    std::fprintf(stderr, "riderozad: mesh not created: %s\n", problem);
    return 0;
  }
  GlMesh mesh;
  mesh.subsets.assign(m.subsets, m.subsets + m.subsetCount);
  glGenVertexArrays(1, &mesh.vao);
  glGenBuffers(1, &mesh.vbo);
  glGenBuffers(1, &mesh.ibo);
  glBindVertexArray(mesh.vao);
  glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(MeshVertex) * m.vertexCount),
               m.vertices, GL_STATIC_DRAW);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ibo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER,
               static_cast<GLsizeiptr>(sizeof(uint32_t) * 3 * size_t{m.faceCount}), m.indices,
               GL_STATIC_DRAW);
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
  for (size_t i = 0; i < meshes_.size(); ++i) {
    if (!meshes_[i].vao) {
      meshes_[i] = std::move(mesh);
      return static_cast<MeshHandle>(i + 1);
    }
  }
  meshes_.push_back(std::move(mesh));
  return static_cast<MeshHandle>(meshes_.size());
}

Result GlDevice::drawSubset(MeshHandle handle, uint32_t subset) {
  GlMesh* mesh = meshOf(handle);
  if (!mesh || !inScene_) return Result::Failed;
  // An attribute id without faces draws nothing, and that is no error.
  if (subset >= mesh->subsets.size() || mesh->subsets[subset].faceCount == 0) return Result::Ok;
  const SubsetRange& range = mesh->subsets[subset];
  prepareDraw();
  glBindVertexArray(mesh->vao);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(range.faceCount * 3), GL_UNSIGNED_INT,
                 reinterpret_cast<const void*>(size_t{range.faceStart} * 3 * sizeof(uint32_t)));
  return Result::Ok;
}

void GlDevice::releaseMesh(MeshHandle handle) {
  GlMesh* mesh = meshOf(handle);
  if (!mesh) return;
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
  for (size_t i = 0; i < textures_.size(); ++i) {
    if (!textures_[i]) {
      textures_[i] = name;
      return static_cast<TextureHandle>(i + 1);
    }
  }
  textures_.push_back(name);
  return static_cast<TextureHandle>(textures_.size());
}

void GlDevice::releaseTexture(TextureHandle texture) {
  const GLuint name = textureOf(texture);
  if (!name) return;
  glDeleteTextures(1, &name);
  textures_[texture - 1] = 0;
  if (texture_ == texture) texture_ = 0;
}

FontHandle GlDevice::createFont(int32_t height, uint32_t weight, const char* face) {
  return text_.createFont(height, weight, face);
}

int32_t GlDevice::drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                           uint32_t /*format: always left and top*/, uint32_t argb) {
  if (!inScene_) return 0;
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  const int32_t drawn = text_.drawText(font, text, count, rect, argb, static_cast<int32_t>(width_),
                                       static_cast<int32_t>(height_));
  programBound_ = false;
  return drawn;
}

void GlDevice::releaseFont(FontHandle font) { text_.releaseFont(font); }

bool GlDevice::readBack(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  width = width_;
  height = height_;
  const size_t row = size_t{width_} * 4;
  std::vector<uint8_t> bottomUp(row * height_);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_RGBA,
               GL_UNSIGNED_BYTE, bottomUp.data());
  rgba.resize(bottomUp.size());
  for (uint32_t y = 0; y < height_; ++y)
    std::copy_n(bottomUp.data() + (height_ - 1 - y) * row, row, rgba.data() + y * row);
  return true;
}

class GlGraphicsSystem : public GraphicsSystem {
 public:
  uint32_t adapterModeCount(Format format) override;
  Result enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) override;
  Result checkDeviceType(Format displayFormat, Format backBufferFormat, bool windowed) override;
  Result checkDepthStencilFormat(Format adapterFormat, Format depthFormat) override;
  Result getDeviceCaps() override;
  Device* createDevice(const PresentParams& params) override;
  void releaseDevice(Device* device) override;

  GlDevice* device() { return device_.get(); }

 private:
  bool probeContext(std::string& why);
  // Display modes with at least 24 bits of colour, in SDL's order.
  std::vector<SDL_DisplayMode> colourModes();

  std::unique_ptr<GlDevice> device_;
  SDL_GLContext context_ = nullptr;
  int probeResult_ = -1;  // -1 not probed yet, 0 no, 1 yes
};

std::vector<SDL_DisplayMode> GlGraphicsSystem::colourModes() {
  std::vector<SDL_DisplayMode> modes;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m{};
    if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
    // A driver that reports no pixel format (SDL's offscreen one) still
    // draws whatever the back buffer holds.
    if (m.format == SDL_PIXELFORMAT_UNKNOWN || SDL_BITSPERPIXEL(m.format) >= 24) modes.push_back(m);
  }
  return modes;
}

uint32_t GlGraphicsSystem::adapterModeCount(Format format) {
  if (format != Format::X8R8G8B8) return 0;
  return static_cast<uint32_t>(colourModes().size());
}

Result GlGraphicsSystem::enumAdapterMode(Format format, uint32_t mode, DisplayMode& out) {
  if (format != Format::X8R8G8B8) return Result::Failed;
  const std::vector<SDL_DisplayMode> modes = colourModes();
  if (mode >= modes.size()) return Result::Failed;
  const SDL_DisplayMode& m = modes[mode];
  out = {static_cast<uint32_t>(m.w), static_cast<uint32_t>(m.h),
         static_cast<uint32_t>(m.refresh_rate), Format::X8R8G8B8};
  return Result::Ok;
}

Result GlGraphicsSystem::checkDeviceType(Format displayFormat, Format backBufferFormat,
                                         bool /*windowed*/) {
  if (displayFormat != Format::X8R8G8B8 || backBufferFormat != Format::X8R8G8B8)
    return Result::Failed;
  return colourModes().empty() ? Result::Failed : Result::Ok;
}

bool GlGraphicsSystem::probeContext(std::string& why) {
  setContextAttributes();
  SDL_Window* window = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    why = SDL_GetError();
    return false;
  }
  bool ok = false;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    why = SDL_GetError();
  } else if (SDL_GL_MakeCurrent(window, context) != 0) {
    why = SDL_GetError();
  } else if (epoxy_gl_version() < 33) {
    why = "the driver offers OpenGL " + std::to_string(epoxy_gl_version() / 10) + "." +
          std::to_string(epoxy_gl_version() % 10);
  } else {
    GLuint fbo = 0, color = 0, depth = 0;
    ok = makeFramebuffer(16, 16, fbo, color, depth);
    if (!ok) why = "the driver refuses a 24-bit depth, 8-bit stencil buffer";
    deleteFramebuffer(fbo, color, depth);
  }
  if (context) SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  return ok;
}

Result GlGraphicsSystem::checkDepthStencilFormat(Format adapterFormat, Format depthFormat) {
  if (adapterFormat != Format::X8R8G8B8 || depthFormat != Format::D24S8) return Result::Failed;
  if (device_) return Result::Ok;
  if (probeResult_ < 0) {
    std::string why;
    probeResult_ = probeContext(why) ? 1 : 0;
    if (!probeResult_)
      std::fprintf(stderr,
                   "riderozad: no OpenGL 3.3 core context with a 24-bit depth and 8-bit stencil "
                   "buffer can be made: %s\n",
                   why.c_str());
  }
  return probeResult_ ? Result::Ok : Result::Failed;
}

Result GlGraphicsSystem::getDeviceCaps() {
  return SDL_WasInit(SDL_INIT_VIDEO) ? Result::Ok : Result::Failed;
}

Device* GlGraphicsSystem::createDevice(const PresentParams& params) {
  auto fail = [&](const std::string& why) -> Device* {
    std::fprintf(stderr, "riderozad: cannot create the OpenGL device: %s\n", why.c_str());
    if (device_) device_->destroy();
    device_.reset();
    if (context_) SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    closeDeviceWindow();
    return nullptr;
  };
  if (device_) {
    std::fprintf(stderr, "riderozad: cannot create a second OpenGL device\n");
    return nullptr;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return fail("SDL video is not running");
  std::string why;
  if (!validParams(params, why)) return fail(why);
  setContextAttributes();
  SDL_Window* window =
      openDeviceWindow(params.windowed == 0, params.backBufferWidth, params.backBufferHeight);
  if (!window) return fail(std::string("no window: ") + SDL_GetError());
  context_ = SDL_GL_CreateContext(window);
  if (!context_) return fail(std::string("no OpenGL 3.3 core context: ") + SDL_GetError());
  if (SDL_GL_MakeCurrent(window, context_) != 0) return fail(SDL_GetError());
  if (epoxy_gl_version() < 33) return fail("the driver offers no OpenGL 3.3");
  // A refused swap interval (as under a virtual X server) is no error.
  SDL_GL_SetSwapInterval(params.presentationInterval == PRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
  device_ = std::make_unique<GlDevice>();
  if (!device_->init(params, why)) return fail(why);
  return device_.get();
}

void GlGraphicsSystem::releaseDevice(Device* device) {
  if (!device || device != device_.get()) return;
  device_->destroy();
  device_.reset();
  if (context_) SDL_GL_DeleteContext(context_);
  context_ = nullptr;
  closeDeviceWindow();
}

GlGraphicsSystem& theGraphics() {
  static GlGraphicsSystem instance;
  return instance;
}

}  // namespace

GraphicsSystem* graphicsService() { return &theGraphics(); }

void shutDownGraphics() { theGraphics().releaseDevice(theGraphics().device()); }

bool readBackBuffer(std::vector<uint8_t>& rgba, uint32_t& width, uint32_t& height) {
  GlDevice* device = theGraphics().device();
  if (!device) return false;
  return device->readBack(rgba, width, height);
}

}  // namespace platform::sdl_gl
