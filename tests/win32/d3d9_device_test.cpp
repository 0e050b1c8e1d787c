// The Direct3D 9 device's life: the adapter checks the game makes, meshes
// and textures that outlive a reset, and bad input refused cleanly.
#include "d3d9_test_support.hpp"

namespace rztest {
namespace {

using DeviceLife = DeviceTest;

TEST_F(DeviceLife, AdapterReportsTheGamesFormats) {
  expectTheGamesAdapter(graphics);
  testing::internal::CaptureStderr();
  EXPECT_EQ(graphics->createDevice(gameParams()), nullptr);  // one device at a time
  EXPECT_NE(testing::internal::GetCapturedStderr().find("second"), std::string::npos);
}

TEST_F(DeviceLife, MeshesAndTexturesOutliveAResetThatPutsTheStatesBack) {
  const MeshHandle mesh = wholeViewQuad(device);
  // 2x1 texels: the left half of the screen orange, the right half teal.
  const uint8_t texels[8] = {255, 128, 0, 255, 0, 128, 128, 255};
  const TextureHandle texture = device->createTexture({2, 1, texels});
  ASSERT_NE(mesh, 0u);
  ASSERT_NE(texture, 0u);
  Matrix moved = identityMatrix();
  moved.m[3][0] = 5;
  device->setTransform(TransformState::World, moved);
  ASSERT_EQ(device->reset(gameParams()), Result::Ok);
  Matrix world{};
  ASSERT_EQ(device->getTransform(TransformState::World, world), Result::Ok);
  EXPECT_EQ(world.m[3][0], 0.0f);
  EXPECT_EQ(world.m[0][0], 1.0f);

  Material white{};
  white.emissive = {1, 1, 1, 1};
  device->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1, 0);
  device->beginScene();
  device->setMaterial(white);
  device->setTexture(0, texture);
  EXPECT_EQ(device->drawSubset(mesh, 0), Result::Ok);
  device->endScene();
  EXPECT_RGB_NEAR(pixel(256, 384), 255, 128, 0, 0);
  EXPECT_RGB_NEAR(pixel(768, 384), 0, 128, 128, 0);
  EXPECT_EQ(device->present(), Result::Ok);
  EXPECT_EQ(device->testCooperativeLevel(), Result::Ok);
}

TEST_F(DeviceLife, RefusesBadMeshesTexturesLightsAndScenes) {
  const MeshVertex v[3] = {};
  const uint32_t outOfRange[3] = {0, 1, 3};
  const uint32_t good[3] = {0, 1, 2};
  const SubsetRange whole{0, 1};
  const uint8_t texels[64] = {};
  testing::internal::CaptureStderr();
  // The upload checks are the GL device's own; one case shows they are made.
  EXPECT_EQ(device->createMesh({v, 3, outOfRange, 1, &whole, 1}), 0u);
  EXPECT_EQ(device->createTexture({0, 4, texels}), 0u);
  EXPECT_EQ(device->createTexture({1u << 20, 1, texels}), 0u);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("mesh not created"), std::string::npos);
  EXPECT_NE(said.find("texture not created"), std::string::npos);

  Light dark{};
  dark.type = LightType::Directional;
  EXPECT_EQ(device->setLight(0, dark), Result::Failed);
  EXPECT_EQ(device->lightEnable(0, true), Result::Ok);
  EXPECT_EQ(device->lightEnable(MAX_LIGHTS, true), Result::Failed);

  const MeshHandle mesh = device->createMesh({v, 3, good, 1, &whole, 1});
  ASSERT_NE(mesh, 0u);
  EXPECT_EQ(device->drawSubset(mesh, 0), Result::Failed);  // outside a scene
  device->beginScene();
  EXPECT_EQ(device->beginScene(), Result::Failed);
  EXPECT_EQ(device->drawSubset(mesh, 0), Result::Ok);
  EXPECT_EQ(device->drawSubset(mesh, 7), Result::Ok);  // no faces: nothing to draw
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
