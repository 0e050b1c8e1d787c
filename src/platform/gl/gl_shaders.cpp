#include "platform/gl/gl_shaders.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::gl {

namespace {

// Matrices arrive as the game writes them, for row vectors; read as GLSL's
// column-major matrices they are transposed, so M * v here is v * M there.
// Lighting is per vertex in view space: the normal goes through the inverse
// transpose of world * view and is not renormalised, lights shine along their
// normalised view-space direction of travel, and the sum is clamped to 0..1.
// The source follows the surface's head (version line, precisions) and the
// variant's defines.
constexpr const char* SCENE_VERTEX = R"(layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inUv;

uniform mat4 worldViewProj;
uniform mat4 worldView;
uniform mat3 normalMatrix;
uniform vec2 pixelOffset;
uniform bool remapDepth;
uniform bool lighting;
uniform int lightCount;
uniform vec3 lightDir[8];
uniform vec3 lightDiffuse[8];
uniform vec3 lightSpecular[8];
uniform vec3 lightAmbient[8];
uniform vec4 matDiffuse;
uniform vec3 matAmbient;
uniform vec3 matSpecular;
uniform vec3 matEmissive;
uniform float matPower;

// A texture's alpha replaces the lit alpha, which then is not passed on.
#ifdef TEXTURED
out vec3 vColor;
#define LIT_COLOR(c) (c).rgb
#else
out vec4 vColor;
#define LIT_COLOR(c) (c)
#endif
#ifdef SPECULAR
out vec3 vSpecular;
#endif
#ifdef TEXTURED
out vec2 vUv;
#endif

void main() {
  vec4 clip = worldViewProj * vec4(inPosition, 1.0);
  // Pixel centres sit on whole coordinates in the classic rasteriser.
  clip.xy += pixelOffset * clip.w;
  if (remapDepth) clip.z = 2.0 * clip.z - clip.w;
  gl_Position = clip;
#ifdef TEXTURED
  vUv = inUv;
#endif
#ifdef SPECULAR
  vSpecular = vec3(0.0);
#endif
  if (!lighting) {
    vColor = LIT_COLOR(vec4(1.0));
    return;
  }
  vec3 n = normalMatrix * inNormal;
  vec3 toEye = normalize(-(worldView * vec4(inPosition, 1.0)).xyz);
  vec3 diffuse = vec3(0.0);
  vec3 ambient = vec3(0.0);
  vec3 specular = vec3(0.0);
  for (int i = 0; i < lightCount; ++i) {
    ambient += lightAmbient[i];
    float nl = dot(n, -lightDir[i]);
    if (nl <= 0.0) continue;
    diffuse += lightDiffuse[i] * nl;
#ifdef SPECULAR
    float nh = dot(n, normalize(toEye - lightDir[i]));
    if (nh > 0.0) specular += lightSpecular[i] * pow(nh, matPower);
#endif
  }
  vColor = LIT_COLOR(vec4(
      clamp(matEmissive + matAmbient * ambient + matDiffuse.rgb * diffuse, 0.0, 1.0), matDiffuse.a));
#ifdef SPECULAR
  vSpecular = clamp(matSpecular * specular, 0.0, 1.0);
#endif
}
)";

// Stage 0 modulates texture and lit colour and takes the texture's alpha;
// specular is added after it; the alpha test compares 0..255 with the
// reference using the classic comparison numbers. Each variant compiles in
// only what its draws use: a software rasteriser pays per fragment for
// every interpolated value and every branch, and a shader that may discard
// loses the early depth test for the whole draw, so the test is compiled in
// only where it can reject a fragment.
constexpr const char* SCENE_FRAGMENT = R"(#ifdef SPECULAR
in vec3 vSpecular;
#endif
#ifdef TEXTURED
in vec3 vColor;
in vec2 vUv;
uniform sampler2D sampler;
#else
in vec4 vColor;
#endif
uniform int alphaFunc;
uniform float alphaRef;

out vec4 outColor;

void main() {
#ifdef TEXTURED
  vec4 t = texture(sampler, vUv);
  vec4 c = vec4(t.rgb * vColor, t.a);
#else
  vec4 c = vColor;
#endif
#ifdef SPECULAR
  c.rgb = min(c.rgb + vSpecular, vec3(1.0));
#endif
#ifdef ALPHA_TEST
  float a = floor(c.a * 255.0 + 0.5);
  bool pass;
  if (alphaFunc == 1) pass = false;
  else if (alphaFunc == 2) pass = a < alphaRef;
  else if (alphaFunc == 3) pass = a == alphaRef;
  else if (alphaFunc == 4) pass = a <= alphaRef;
  else if (alphaFunc == 5) pass = a > alphaRef;
  else if (alphaFunc == 6) pass = a != alphaRef;
  else if (alphaFunc == 7) pass = a >= alphaRef;
  else pass = true;
  if (!pass) discard;
#endif
  outColor = c;
}
)";

constexpr const char* TEXT_VERTEX = R"(layout(location = 0) in vec2 inPosition;
layout(location = 1) in vec2 inUv;
uniform vec2 viewSize;
out vec2 vUv;
void main() {
  gl_Position = vec4(inPosition.x / viewSize.x * 2.0 - 1.0,
                     1.0 - inPosition.y / viewSize.y * 2.0, 0.0, 1.0);
  vUv = inUv;
}
)";

constexpr const char* TEXT_FRAGMENT = R"(in vec2 vUv;
uniform sampler2D sampler;
uniform vec4 color;
out vec4 outColor;
void main() {
  outColor = vec4(color.rgb, color.a * texture(sampler, vUv).r);
}
)";

// The source in parts, joined in order: the version line must come first.
GLuint compile(GLenum type, const std::vector<const char*>& source, std::string& error) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, static_cast<GLsizei>(source.size()), source.data(), nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  char log[2048] = {};
  glGetShaderInfoLog(shader, sizeof log, nullptr, log);
  error = log;
  glDeleteShader(shader);
  return 0;
}

GLuint link(const std::vector<const char*>& vertexSource,
            const std::vector<const char*>& fragmentSource, std::string& error) {
  const GLuint vs = compile(GL_VERTEX_SHADER, vertexSource, error);
  if (!vs) return 0;
  const GLuint fs = compile(GL_FRAGMENT_SHADER, fragmentSource, error);
  if (!fs) {
    glDeleteShader(vs);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE) return program;
  char log[2048] = {};
  glGetProgramInfoLog(program, sizeof log, nullptr, log);
  error = log;
  glDeleteProgram(program);
  return 0;
}

}  // namespace

bool buildSceneProgram(SceneProgram& p, uint32_t variant, const char* shaderHead,
                       std::string& error) {
  std::vector<const char*> head{shaderHead};
  if (variant & VARIANT_ALPHA_TEST) head.push_back("#define ALPHA_TEST 1\n");
  if (variant & VARIANT_TEXTURED) head.push_back("#define TEXTURED 1\n");
  if (variant & VARIANT_SPECULAR) head.push_back("#define SPECULAR 1\n");
  std::vector<const char*> vertex = head, fragment = head;
  vertex.push_back(SCENE_VERTEX);
  fragment.push_back(SCENE_FRAGMENT);
  p.program = link(vertex, fragment, error);
  if (!p.program) return false;
  const GLuint g = p.program;
  p.worldViewProj = glGetUniformLocation(g, "worldViewProj");
  p.worldView = glGetUniformLocation(g, "worldView");
  p.normalMatrix = glGetUniformLocation(g, "normalMatrix");
  p.pixelOffset = glGetUniformLocation(g, "pixelOffset");
  p.remapDepth = glGetUniformLocation(g, "remapDepth");
  p.lighting = glGetUniformLocation(g, "lighting");
  p.lightCount = glGetUniformLocation(g, "lightCount");
  p.lightDir = glGetUniformLocation(g, "lightDir");
  p.lightDiffuse = glGetUniformLocation(g, "lightDiffuse");
  p.lightSpecular = glGetUniformLocation(g, "lightSpecular");
  p.lightAmbient = glGetUniformLocation(g, "lightAmbient");
  p.matDiffuse = glGetUniformLocation(g, "matDiffuse");
  p.matAmbient = glGetUniformLocation(g, "matAmbient");
  p.matSpecular = glGetUniformLocation(g, "matSpecular");
  p.matEmissive = glGetUniformLocation(g, "matEmissive");
  p.matPower = glGetUniformLocation(g, "matPower");
  p.sampler = glGetUniformLocation(g, "sampler");
  p.alphaFunc = glGetUniformLocation(g, "alphaFunc");
  p.alphaRef = glGetUniformLocation(g, "alphaRef");
  return true;
}

bool buildTextProgram(TextProgram& p, const char* shaderHead, std::string& error) {
  p.program = link({shaderHead, TEXT_VERTEX}, {shaderHead, TEXT_FRAGMENT}, error);
  if (!p.program) return false;
  p.viewSize = glGetUniformLocation(p.program, "viewSize");
  p.color = glGetUniformLocation(p.program, "color");
  p.sampler = glGetUniformLocation(p.program, "sampler");
  return true;
}

}  // namespace platform::gl

namespace platform::gl {

bool alphaTestPassesAll(uint32_t func, uint32_t ref, int32_t minAlpha, int32_t maxAlpha) {
  const int32_t r = static_cast<int32_t>(ref & 0xFF);
  switch (func) {
    case CMP_NEVER:
      return false;
    case CMP_LESS:
      return maxAlpha < r;
    case CMP_EQUAL:
      return minAlpha == r && maxAlpha == r;
    case CMP_LESSEQUAL:
      return maxAlpha <= r;
    case CMP_GREATER:
      return minAlpha > r;
    case CMP_NOTEQUAL:
      return r < minAlpha || r > maxAlpha;
    case CMP_GREATEREQUAL:
      return minAlpha >= r;
    default:
      return true;  // the shader lets every other number pass
  }
}

bool alphaRangeOf(float alpha, int32_t& minAlpha, int32_t& maxAlpha) {
  if (!std::isfinite(alpha)) return false;
  // The shader rounds alpha * 255 in single precision; a value near a
  // rounding edge may fall either way, so both neighbours count.
  const double x = std::clamp(static_cast<double>(alpha) * 255.0, -16.0, 272.0);
  minAlpha = static_cast<int32_t>(std::floor(x + 0.5 - 1e-3));
  maxAlpha = static_cast<int32_t>(std::floor(x + 0.5 + 1e-3));
  return true;
}

}  // namespace platform::gl
