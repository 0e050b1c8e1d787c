#include "render/camera.hpp"

#include <cstdio>

#include "render/graphics_device.hpp"
#include "render/object_table.hpp"

CameraRecord Camera;
LightInputs lightInputs;
std::array<platform::Light, MAX_LIGHT_INDEX> lights{};
Matrix projectionMatrix{};
Matrix viewMatrix{};

void setViewAndProjection() {
  // Aspect 1, not the back buffer's: the picture is stretched sideways.
  projectionMatrix =
      matrixPerspectiveFovLH(FIELD_OF_VIEW, PROJECTION_ASPECT, NEAR_PLANE, FAR_PLANE);
  viewMatrix = matrixLookAtLH(Camera.eye, Camera.target, Camera.up);
  if (device == nullptr) return;
  device->setTransform(platform::TransformState::Projection, projectionMatrix);
  device->setTransform(platform::TransformState::View, viewMatrix);
}

void setDirectionalLight(int index) {
  if (index < 0 || index >= MAX_LIGHT_INDEX) {
    std::fprintf(stderr, "setDirectionalLight: light %d is outside 0 to %d\n", index,
                 MAX_LIGHT_INDEX - 1);
    return;
  }
  platform::Light& light = lights[index];
  light = platform::Light{};
  if (device != nullptr) device->setRenderState(platform::RenderState::SpecularEnable, 1);

  const Vec3 dir{lightInputs.dirX[index], lightInputs.dirY[index], lightInputs.dirZ[index]};
  light.type = platform::LightType::Directional;
  light.diffuse = {lightInputs.diffuseR[index], lightInputs.diffuseG[index],
                   lightInputs.diffuseB[index], 0.2f};
  light.specular = {1, 1, 1, 0};
  light.ambient = {0, 0, 0, 0};
  light.position = dir;  // unused by a directional light, kept as given
  light.direction = vec3Normalize(dir);
  light.range = 10;
  light.falloff = 1;
  light.attenuation0 = 1;
  light.attenuation1 = 0;
  light.attenuation2 = 0;
  light.theta = 0;
  light.phi = 0;

  // The light index doubles as a slot id: its slot's materials get the
  // specular colour and power. A slot without materials is left alone, its
  // stored power included.
  const SlotId slot = index;
  std::vector<platform::Material>& materials = ObjectTable.materials[slot];
  for (uint32_t i = 0; i < ObjectTable.materialCount[slot] && i < materials.size(); ++i) {
    if (ObjectTable.specularPower[slot] == 0)
      ObjectTable.specularPower[slot] = DEFAULT_SPECULAR_POWER;
    materials[i].specular = {0.5f, 0.5f, 0.5f, 0.5f};
    materials[i].power = static_cast<float>(ObjectTable.specularPower[slot]);
  }

  if (device == nullptr) return;
  device->setLight(static_cast<uint32_t>(index), light);
  device->lightEnable(static_cast<uint32_t>(index), true);
  device->setRenderState(platform::RenderState::Lighting, 1);
}

void resetCameraAndLights() {
  Camera = CameraRecord{};
  lightInputs = LightInputs{};
  lights.fill(platform::Light{});
  projectionMatrix = Matrix{};
  viewMatrix = Matrix{};
}
