// The GLSL programs of the GL device: the scene program that does what the
// fixed-function pipeline does with the game's states, and the text program.
#pragma once

#include "platform/gl/gl_api.hpp"

#include <cstdint>
#include <string>

#include "platform/graphics.hpp"

namespace platform::gl {

constexpr int SHADER_LIGHTS = 8;

struct SceneProgram {
  GLuint program = 0;
  GLint worldViewProj = -1, worldView = -1, normalMatrix = -1, pixelOffset = -1;
  GLint remapDepth = -1, lighting = -1;
  GLint lightCount = -1, lightDir = -1, lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1;
  GLint matDiffuse = -1, matAmbient = -1, matSpecular = -1, matEmissive = -1, matPower = -1;
  GLint sampler = -1, alphaFunc = -1, alphaRef = -1;
};

// The values of a scene program's uniforms for one draw, in the groups that
// change together. Every member is 4 bytes wide, so a group compares as bytes.
struct SceneUniforms {
  struct Transform {
    float worldViewProj[16], worldView[16], normalMatrix[9];
  } transform;
  struct Lights {
    int32_t count;
    float dir[SHADER_LIGHTS * 3], diffuse[SHADER_LIGHTS * 3], specular[SHADER_LIGHTS * 3],
        ambient[SHADER_LIGHTS * 3];
  } lights;
  struct Surface {
    float diffuse[4], ambient[3], specular[3], emissive[3], power;
  } material;
  struct States {
    int32_t lighting, alphaFunc;
    float alphaRef;
  } states;
};

struct TextProgram {
  GLuint program = 0;
  GLint viewSize = -1, color = -1, sampler = -1;
};

// What a scene program variant draws with, as bits: the alpha test (without
// it every fragment is kept), stage 0's texture, and specular highlights.
constexpr uint32_t VARIANT_ALPHA_TEST = 1, VARIANT_TEXTURED = 2, VARIANT_SPECULAR = 4,
                   SCENE_VARIANTS = 8;

// False with the compiler's log in `error` when a program cannot be built.
// `shaderHead` starts every shader: the GLSL version line and, for GLSL ES,
// the default precisions.
bool buildSceneProgram(SceneProgram& out, uint32_t variant, const char* shaderHead,
                       std::string& error);
bool buildTextProgram(TextProgram& out, const char* shaderHead, std::string& error);

// True when the alpha test with comparison `func` and reference `ref` (its
// low 8 bits) lets every alpha from minAlpha to maxAlpha (0..255) pass, so
// a draw whose fragments all lie in that range needs no test.
bool alphaTestPassesAll(uint32_t func, uint32_t ref, int32_t minAlpha, int32_t maxAlpha);
// The 0..255 alphas the shader can make of a constant alpha; false when it
// is not a number.
bool alphaRangeOf(float alpha, int32_t& minAlpha, int32_t& maxAlpha);

}  // namespace platform::gl
