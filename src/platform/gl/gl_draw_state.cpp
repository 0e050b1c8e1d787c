// The OpenGL device's fixed-function states (render states, transforms,
// material, texture, lights) and what they make of a draw: which scene
// program and the values of its uniforms (sent only where they changed),
// held for gl_draw_queue.cpp's order or sent at once.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gl/gl_device.hpp"

namespace platform::gl {

namespace {

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

}  // namespace

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
  uniformsStale_ = true;
}

Result GlDevice::setRenderState(RenderState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  if (s >= RENDER_STATE_LIMIT) return Result::Failed;
  if (states_[s] == value) return Result::Ok;
  states_[s] = value;
  uniformsStale_ = true;
  return Result::Ok;
}

Result GlDevice::setTransform(TransformState state, const Matrix& m) {
  switch (state) {
    case TransformState::World:
      world_ = m;
      uniformsStale_ = true;
      return Result::Ok;
    case TransformState::View:
      view_ = m;
      uniformsStale_ = true;
      return Result::Ok;
    case TransformState::Projection:
      projection_ = m;
      uniformsStale_ = true;
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
  if (std::memcmp(&material_, &material, sizeof material) == 0) return Result::Ok;
  material_ = material;
  uniformsStale_ = true;
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
  uniformsStale_ = true;
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
  uniformsStale_ = true;
  return Result::Ok;
}

// The alpha of every fragment of the coming draw is the texture's, or the
// lit colour's, which is the material's diffuse alpha (1 when unlit).
bool GlDevice::needsAlphaTest() const {
  auto state = [&](RenderState s) { return states_[static_cast<uint32_t>(s)]; };
  if (state(RenderState::AlphaTestEnable) == 0) return false;
  int32_t minAlpha = 255, maxAlpha = 255;
  if (texture_ != 0) {
    const GlTexture& t = textures_[texture_ - 1];
    minAlpha = t.minAlpha;
    maxAlpha = t.maxAlpha;
  } else if (state(RenderState::Lighting) != 0 &&
             !alphaRangeOf(material_.diffuse.a, minAlpha, maxAlpha)) {
    return true;
  }
  return !alphaTestPassesAll(state(RenderState::AlphaFunc), state(RenderState::AlphaRef), minAlpha,
                             maxAlpha);
}

Result GlDevice::drawSubset(MeshHandle handle, uint32_t subset) {
  GlMesh* mesh = meshOf(handle);
  if (!mesh || !inScene_) return Result::Failed;
  // An attribute id without faces draws nothing, and that is no error.
  if (subset >= mesh->subsets.size() || mesh->subsets[subset].faceCount == 0) return Result::Ok;
  HeldDraw draw;
  draw.uniforms = currentUniforms();
  const float* worldViewProj = uniforms_[draw.uniforms].transform.worldViewProj;
  facesInView(worldViewProj, mesh->runs[subset], inView_);
  if (inView_.empty()) return Result::Ok;  // nothing of it can be seen
  draw.faces = inView_;
  draw.variant =
      (needsAlphaTest() ? VARIANT_ALPHA_TEST : 0) | (texture_ != 0 ? VARIANT_TEXTURED : 0) |
      (states_[static_cast<uint32_t>(RenderState::SpecularEnable)] != 0 ? VARIANT_SPECULAR : 0);
  draw.texture = textureOf(texture_);
  draw.vao = mesh->vao;
  draw.meshFaces = mesh->faces;
  if (queue_.holding())
    queue_.hold(std::move(draw), worldViewProj, mesh->bounds[subset]);
  else
    sendDraw(draw, false);
  return Result::Ok;
}

uint32_t GlDevice::currentUniforms() {
  if (!uniformsStale_ && !uniforms_.empty()) return static_cast<uint32_t>(uniforms_.size() - 1);
  // Nothing held refers to earlier values.
  if (!queue_.holding()) uniforms_.clear();
  SceneUniforms u{};
  const Matrix worldView = multiply(world_, view_);
  const Matrix worldViewProj = multiply(worldView, projection_);
  std::memcpy(u.transform.worldViewProj, &worldViewProj.m[0][0], sizeof u.transform.worldViewProj);
  std::memcpy(u.transform.worldView, &worldView.m[0][0], sizeof u.transform.worldView);
  // The inverse transpose carries normals; uploaded untransposed, GLSL reads
  // the transpose of the transpose.
  inverse3(worldView, u.transform.normalMatrix);
  SceneUniforms::Lights& lit = u.lights;
  for (const LightSlot& slot : lights_) {
    // The shader lights directional lights only; the game uses no others.
    if (!slot.enabled || slot.light.type != LightType::Directional) continue;
    const Light& l = slot.light;
    const Vec3& d = l.direction;
    float v[3];
    for (int c = 0; c < 3; ++c)
      v[c] = d.x * view_.m[0][c] + d.y * view_.m[1][c] + d.z * view_.m[2][c];
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    const int at = lit.count * 3;
    for (int c = 0; c < 3; ++c) lit.dir[at + c] = len > 0 ? v[c] / len : 0.0f;
    const float lc[3][3] = {{l.diffuse.r, l.diffuse.g, l.diffuse.b},
                            {l.specular.r, l.specular.g, l.specular.b},
                            {l.ambient.r, l.ambient.g, l.ambient.b}};
    for (int c = 0; c < 3; ++c) {
      lit.diffuse[at + c] = lc[0][c];
      lit.specular[at + c] = lc[1][c];
      lit.ambient[at + c] = lc[2][c];
    }
    ++lit.count;
  }
  const Material& m = material_;
  u.material = {{m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a},
                {m.ambient.r, m.ambient.g, m.ambient.b},
                {m.specular.r, m.specular.g, m.specular.b},
                {m.emissive.r, m.emissive.g, m.emissive.b},
                m.power};
  auto state = [&](RenderState s) { return states_[static_cast<uint32_t>(s)]; };
  u.states = {state(RenderState::Lighting) != 0 ? 1 : 0,
              static_cast<int32_t>(state(RenderState::AlphaFunc)),
              static_cast<float>(state(RenderState::AlphaRef) & 0xFF)};
  uniforms_.push_back(u);
  uniformsStale_ = false;
  return static_cast<uint32_t>(uniforms_.size() - 1);
}

void GlDevice::sendDraw(const HeldDraw& draw, bool reversed) {
  const GLenum func = reversed ? GL_LESS : GL_LEQUAL;
  if (depthFunc_ != func) {
    glDepthFunc(func);
    depthFunc_ = func;
  }
  const uint32_t v = draw.variant;
  const SceneProgram& p = scene_[v];
  if (boundProgram_ != static_cast<int>(v)) {
    glUseProgram(p.program);
    boundProgram_ = static_cast<int>(v);
  }
  const SceneUniforms& u = uniforms_[draw.uniforms];
  uploadUniforms(p, u, sentValid_[v] ? &sent_[v] : nullptr);
  sent_[v] = u;
  sentValid_[v] = true;
  if (boundTexture_ != draw.texture) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, draw.texture);
    boundTexture_ = draw.texture;
  }
  glBindVertexArray(draw.vao);
  const size_t pieces = draw.faces.size();
  for (size_t i = 0; i < pieces; ++i) {
    const SubsetRange& r = draw.faces[reversed ? pieces - 1 - i : i];
    const uint32_t face = reversed ? 2 * draw.meshFaces - r.faceStart - r.faceCount : r.faceStart;
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(r.faceCount * 3), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(size_t{face} * 3 * sizeof(uint32_t)));
  }
}

void GlDevice::flushDraws() {
  if (!queue_.holding()) return;
  const std::vector<Sending> order = queue_.order();
  sentReversed_ = 0;
  for (const Sending& s : order) {
    sendDraw(queue_.draws()[s.draw], s.reversed);
    sentReversed_ += s.reversed ? 1 : 0;
  }
  queue_.close();
  uniforms_.clear();
  uniformsStale_ = true;
}

// Sends the groups that differ from what the program holds (all of them
// when that is unknown).
void GlDevice::uploadUniforms(const SceneProgram& p, const SceneUniforms& u,
                              const SceneUniforms* sent) {
  auto changed = [&](const auto& now, const auto& before) {
    return !sent || std::memcmp(&now, &before, sizeof now) != 0;
  };
  const SceneUniforms& was = sent ? *sent : u;
  if (changed(u.transform, was.transform)) {
    glUniformMatrix4fv(p.worldViewProj, 1, GL_FALSE, u.transform.worldViewProj);
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, u.transform.worldView);
    glUniformMatrix3fv(p.normalMatrix, 1, GL_TRUE, u.transform.normalMatrix);
  }
  if (changed(u.lights, was.lights)) {
    glUniform1i(p.lightCount, u.lights.count);
    glUniform3fv(p.lightDir, SHADER_LIGHTS, u.lights.dir);
    glUniform3fv(p.lightDiffuse, SHADER_LIGHTS, u.lights.diffuse);
    glUniform3fv(p.lightSpecular, SHADER_LIGHTS, u.lights.specular);
    glUniform3fv(p.lightAmbient, SHADER_LIGHTS, u.lights.ambient);
  }
  if (changed(u.material, was.material)) {
    const SceneUniforms::Surface& m = u.material;
    glUniform4f(p.matDiffuse, m.diffuse[0], m.diffuse[1], m.diffuse[2], m.diffuse[3]);
    glUniform3f(p.matAmbient, m.ambient[0], m.ambient[1], m.ambient[2]);
    glUniform3f(p.matSpecular, m.specular[0], m.specular[1], m.specular[2]);
    glUniform3f(p.matEmissive, m.emissive[0], m.emissive[1], m.emissive[2]);
    glUniform1f(p.matPower, m.power);
  }
  if (changed(u.states, was.states)) {
    glUniform1i(p.lighting, u.states.lighting);
    glUniform1i(p.alphaFunc, u.states.alphaFunc);
    glUniform1f(p.alphaRef, u.states.alphaRef);
  }
}

}  // namespace platform::gl
