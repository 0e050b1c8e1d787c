// The GLSL programs of the GL device: the scene program that does what the
// fixed-function pipeline does with the game's states, and the text program.
#pragma once

#include <epoxy/gl.h>

#include <string>

namespace platform::sdl_gl {

constexpr int SHADER_LIGHTS = 8;

struct SceneProgram {
  GLuint program = 0;
  GLint worldViewProj = -1, worldView = -1, normalMatrix = -1, pixelOffset = -1;
  GLint remapDepth = -1, lighting = -1, specularEnable = -1;
  GLint lightCount = -1, lightDir = -1, lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1;
  GLint matDiffuse = -1, matAmbient = -1, matSpecular = -1, matEmissive = -1, matPower = -1;
  GLint textured = -1, sampler = -1, alphaTest = -1, alphaFunc = -1, alphaRef = -1;
};

struct TextProgram {
  GLuint program = 0;
  GLint viewSize = -1, color = -1, sampler = -1;
};

// False with the compiler's log in `error` when a program cannot be built.
bool buildSceneProgram(SceneProgram& out, std::string& error);
bool buildTextProgram(TextProgram& out, std::string& error);

}  // namespace platform::sdl_gl
