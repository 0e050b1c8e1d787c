// The camera (the player's car is the camera), the view and projection, and
// the directional lights built from the per-light input arrays.
#pragma once

#include <array>

#include "platform/graphics.hpp"
#include "render/math.hpp"

struct CameraRecord {
  Vec3 eye{0, 0, -10};
  Vec3 target{0, 0, 1};
  Vec3 up{0, 1, 0};
};

extern CameraRecord Camera;

constexpr int MAX_LIGHT_INDEX = 1000;
constexpr float FIELD_OF_VIEW = 0.7853982f;
constexpr float PROJECTION_ASPECT = 1.0f;
constexpr float NEAR_PLANE = 0.5f;
constexpr float FAR_PLANE = 100000.0f;
constexpr int32_t DEFAULT_SPECULAR_POWER = 30;

struct LightInputs {
  std::array<float, MAX_LIGHT_INDEX> diffuseR{}, diffuseG{}, diffuseB{};
  std::array<float, MAX_LIGHT_INDEX> dirX{}, dirY{}, dirZ{};
};
// The light input arrays: lightInputs.diffuseR[i] is lightDiffuseR[i], etc.
extern LightInputs lightInputs;
extern std::array<platform::Light, MAX_LIGHT_INDEX> lights;
extern Matrix projectionMatrix;
extern Matrix viewMatrix;

void setViewAndProjection();
// Builds lights[index] from the inputs, sets and enables it, turns lighting
// and specular on, and gives slot `index`'s materials the specular colour and
// power.
void setDirectionalLight(int index);
// Puts the camera, the light inputs and the matrices back to their start.
void resetCameraAndLights();
