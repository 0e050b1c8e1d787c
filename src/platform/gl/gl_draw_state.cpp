// The OpenGL device's fixed-function states (render states, transforms,
// material, texture, lights) and what they make of a draw: which scene
// program, and which uniforms it must be sent.
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
  markDirty(~0u);
}

Result GlDevice::setRenderState(RenderState state, uint32_t value) {
  const auto s = static_cast<uint32_t>(state);
  if (s >= RENDER_STATE_LIMIT) return Result::Failed;
  if (states_[s] == value) return Result::Ok;
  states_[s] = value;
  markDirty(DIRTY_STATES);
  return Result::Ok;
}

Result GlDevice::setTransform(TransformState state, const Matrix& m) {
  switch (state) {
    case TransformState::World:
      world_ = m;
      markDirty(DIRTY_TRANSFORM);
      return Result::Ok;
    case TransformState::View:
      view_ = m;
      markDirty(DIRTY_TRANSFORM | DIRTY_LIGHTS);
      return Result::Ok;
    case TransformState::Projection:
      projection_ = m;
      markDirty(DIRTY_TRANSFORM);
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
  markDirty(DIRTY_MATERIAL);
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
  markDirty(DIRTY_LIGHTS);
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
  markDirty(DIRTY_LIGHTS);
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

void GlDevice::prepareDraw() {
  const int which = static_cast<int>(
      (needsAlphaTest() ? VARIANT_ALPHA_TEST : 0) | (texture_ != 0 ? VARIANT_TEXTURED : 0) |
      (states_[static_cast<uint32_t>(RenderState::SpecularEnable)] != 0 ? VARIANT_SPECULAR : 0));
  const SceneProgram& p = scene_[which];
  if (boundProgram_ != which) {
    glUseProgram(p.program);
    boundProgram_ = which;
  }
  if (dirty_[which]) uploadUniforms(p, dirty_[which]);
  dirty_[which] = 0;
  const GLuint name = textureOf(texture_);
  if (boundTexture_ != name) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    boundTexture_ = name;
  }
}

void GlDevice::uploadUniforms(const SceneProgram& p, uint32_t dirty) {
  if (dirty & DIRTY_TRANSFORM) {
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
  if (dirty & DIRTY_LIGHTS) {
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
  if (dirty & DIRTY_MATERIAL) {
    const Material& m = material_;
    glUniform4f(p.matDiffuse, m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a);
    glUniform3f(p.matAmbient, m.ambient.r, m.ambient.g, m.ambient.b);
    glUniform3f(p.matSpecular, m.specular.r, m.specular.g, m.specular.b);
    glUniform3f(p.matEmissive, m.emissive.r, m.emissive.g, m.emissive.b);
    glUniform1f(p.matPower, m.power);
  }
  if (dirty & DIRTY_STATES) {
    auto state = [&](RenderState s) { return states_[static_cast<uint32_t>(s)]; };
    glUniform1i(p.lighting, state(RenderState::Lighting) != 0);
    glUniform1i(p.alphaFunc, static_cast<GLint>(state(RenderState::AlphaFunc)));
    glUniform1f(p.alphaRef, static_cast<float>(state(RenderState::AlphaRef) & 0xFF));
  }
}

}  // namespace platform::gl
