// The device's life: adapter checks, loss while the window is hidden and the
// reset that ends it, state read back, and bad input refused cleanly.
#include <SDL2/SDL.h>

#include "gl_test_support.hpp"

namespace rztest {
namespace {

using DeviceLife = DeviceTest;

TEST_F(DeviceLife, AdapterReportsTheGamesFormats) {
  expectTheGamesAdapter(graphics);
  // One device at a time.
  testing::internal::CaptureStderr();
  EXPECT_EQ(graphics->createDevice(gameParams()), nullptr);
  testing::internal::GetCapturedStderr();
}

TEST_F(DeviceLife, HiddenWindowLosesTheDeviceUntilShownAndReset) {
  EXPECT_EQ(device->present(), Result::Ok);
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);
  SDL_HideWindow(sdl_gl::deviceWindow());
  EXPECT_EQ(device->present(), Result::DeviceLost);
  EXPECT_EQ(device->testCooperativeLevel(), Result::DeviceLost);
  EXPECT_EQ(device->reset(gameParams()), Result::DeviceLost);
  SDL_ShowWindow(sdl_gl::deviceWindow());
  EXPECT_EQ(device->testCooperativeLevel(), Result::DeviceNotReset);
  // Still lost until the reset, even though the window shows again.
  EXPECT_EQ(device->present(), Result::DeviceLost);
  Matrix moved = identityMatrix();
  moved.m[3][0] = 5;
  device->setTransform(TransformState::World, moved);
  EXPECT_EQ(device->reset(gameParams()), Result::Ok);
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);
  EXPECT_EQ(device->present(), Result::Ok);
  // A reset puts the device's state back to its start.
  Matrix world{};
  device->getTransform(TransformState::World, world);
  EXPECT_EQ(world.m[3][0], 0.0f);
  EXPECT_EQ(world.m[0][0], 1.0f);
}

TEST_F(DeviceLife, TransformsReadBackAsSet) {
  Matrix m{};
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = static_cast<float>(i) * 0.5f - 3;
  for (TransformState s :
       {TransformState::World, TransformState::View, TransformState::Projection}) {
    EXPECT_EQ(device->setTransform(s, m), Result::Ok);
    Matrix back{};
    EXPECT_EQ(device->getTransform(s, back), Result::Ok);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(back.m[i / 4][i % 4], m.m[i / 4][i % 4]);
    m.m[1][2] += 1;
  }
}

TEST_F(DeviceLife, RefusesBadMeshesTexturesAndLights) {
  const MeshVertex v[3] = {};
  const uint32_t outOfRange[3] = {0, 1, 3};
  const uint32_t good[3] = {0, 1, 2};
  const SubsetRange past{1, 1}, whole{0, 1};
  const uint8_t texels[64] = {};
  testing::internal::CaptureStderr();
  EXPECT_EQ(device->createMesh({v, 3, outOfRange, 1, &whole, 1}), 0u);
  EXPECT_EQ(device->createMesh({v, 3, good, 1, &past, 1}), 0u);
  EXPECT_EQ(device->createMesh({v, 0, good, 1, &whole, 1}), 0u);
  EXPECT_EQ(device->createMesh({nullptr, 3, good, 1, &whole, 1}), 0u);
  EXPECT_EQ(device->createTexture({0, 4, texels}), 0u);
  EXPECT_EQ(device->createTexture({4, 4, nullptr}), 0u);
  EXPECT_EQ(device->createTexture({1u << 20, 1, texels}), 0u);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("mesh not created"), std::string::npos);
  EXPECT_NE(said.find("texture not created"), std::string::npos);

  // A directional light without a direction is refused; the index can still
  // be enabled. Indices past the device's lights are refused.
  Light dark{};
  dark.type = LightType::Directional;
  EXPECT_EQ(device->setLight(0, dark), Result::Failed);
  EXPECT_EQ(device->lightEnable(0, true), Result::Ok);
  EXPECT_EQ(device->setLight(MAX_LIGHTS, dark), Result::Failed);
  EXPECT_EQ(device->lightEnable(MAX_LIGHTS, true), Result::Failed);

  const MeshHandle mesh = device->createMesh({v, 3, good, 1, &whole, 1});
  ASSERT_NE(mesh, 0u);
  EXPECT_EQ(device->drawSubset(mesh, 0), Result::Failed);  // outside a scene
  device->beginScene();
  EXPECT_EQ(device->beginScene(), Result::Failed);
  EXPECT_EQ(device->drawSubset(mesh, 0), Result::Ok);
  EXPECT_EQ(device->drawSubset(mesh, 7), Result::Ok);  // no faces: nothing to draw
  EXPECT_EQ(device->drawSubset(mesh + 5, 0), Result::Failed);
  EXPECT_EQ(device->setTexture(0, 999), Result::Failed);
  EXPECT_EQ(device->setRenderState(static_cast<RenderState>(RENDER_STATE_LIMIT), 1),
            Result::Failed);
  device->releaseMesh(mesh);
  EXPECT_EQ(device->drawSubset(mesh, 0), Result::Failed);
  device->releaseMesh(mesh);  // twice is harmless
  device->endScene();
  EXPECT_EQ(device->endScene(), Result::Failed);
}

}  // namespace
}  // namespace rztest
