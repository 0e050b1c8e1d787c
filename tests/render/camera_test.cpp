#include "render/camera.hpp"

#include "render/math.hpp"
#include "render/mesh_load.hpp"
#include "render_fixture.hpp"

namespace {

using CameraTest = RenderTest;

TEST_F(CameraTest, InitialCameraLooksAlongZFromBehindTheOrigin) {
  setViewAndProjection();
  // View: axes unchanged, the world 10 units forward; the origin lies 10
  // units ahead, on the axis.
  expectNear(vec3TransformCoord({0, 0, 0}, dev().view), 0, 0, 10);
  expectNear(vec3TransformCoord({2, 3, 1}, dev().view), 2, 3, 11);
  EXPECT_NEAR(dev().projection.m[0][0], 2.4142136f, 1e-5f);  // aspect 1: same as y
  EXPECT_NEAR(dev().projection.m[1][1], 2.4142136f, 1e-5f);
  EXPECT_EQ(viewMatrix.m[3][2], dev().view.m[3][2]);
  EXPECT_EQ(projectionMatrix.m[3][2], dev().projection.m[3][2]);
  EXPECT_EQ(dev().log.names(), (std::vector<std::string>{"setTransform", "setTransform"}));
  EXPECT_EQ(dev().log.calls()[0].args, "3");  // projection first, then view
  EXPECT_EQ(dev().log.calls()[1].args, "2");
}

TEST_F(CameraTest, ViewFollowsTheCamera) {
  Camera.eye = {100, 7.3f, 50};
  Camera.target = {100, 7.3f, 60};
  setViewAndProjection();
  expectNear(vec3TransformCoord({100, 7.3f, 80}, dev().view), 0, 0, 30, 1e-4f);
  // Depth 0.25 in front of the eye is closer than the near plane: clipped
  // (projected depth below 0); depth 200000 is beyond the far plane (above 1).
  const Matrix vp = matrixMultiply(dev().view, dev().projection);
  EXPECT_LT(vec3TransformCoord({100, 7.3f, 50.25f}, vp).z, 0.0f);
  EXPECT_GT(vec3TransformCoord({100, 7.3f, 200050}, vp).z, 1.0f);
  EXPECT_GT(vec3TransformCoord({100, 7.3f, 60}, vp).z, 0.0f);
}

TEST_F(CameraTest, LightRecordIsBuiltSetAndEnabled) {
  lightInputs.diffuseR[3] = 0.5f;
  lightInputs.diffuseG[3] = 0.25f;
  lightInputs.diffuseB[3] = 1.0f;
  lightInputs.dirX[3] = 0;
  lightInputs.dirY[3] = -3;
  lightInputs.dirZ[3] = 4;
  lights[3].range = 99;  // rebuilt from zero
  setDirectionalLight(3);
  const platform::Light& l = dev().lights.at(3);
  EXPECT_EQ(l.type, platform::LightType::Directional);
  EXPECT_EQ(l.diffuse.r, 0.5f);
  EXPECT_EQ(l.diffuse.g, 0.25f);
  EXPECT_EQ(l.diffuse.b, 1.0f);
  EXPECT_EQ(l.diffuse.a, 0.2f);
  EXPECT_EQ(l.specular.r, 1.0f);
  EXPECT_EQ(l.specular.b, 1.0f);
  EXPECT_EQ(l.specular.a, 0.0f);
  EXPECT_EQ(l.ambient.r, 0.0f);
  EXPECT_EQ(l.ambient.a, 0.0f);
  expectNear(l.position, 0, -3, 4, 0);
  expectNear(l.direction, 0, -0.6f, 0.8f, 1e-6f);
  EXPECT_EQ(l.range, 10.0f);
  EXPECT_EQ(l.falloff, 1.0f);
  EXPECT_EQ(l.attenuation0, 1.0f);
  EXPECT_EQ(l.attenuation1, 0.0f);
  EXPECT_EQ(l.attenuation2, 0.0f);
  EXPECT_EQ(l.theta, 0.0f);
  EXPECT_EQ(l.phi, 0.0f);
  EXPECT_EQ(lights[3].range, 10.0f);
  EXPECT_TRUE(dev().lightEnabled.at(3));
  EXPECT_EQ(dev().renderStates[29], 1u);
  EXPECT_EQ(dev().renderStates[137], 1u);
  // Specular on first, then the light, its enable, and lighting.
  EXPECT_EQ(dev().log.names(), (std::vector<std::string>{"setRenderState", "setLight",
                                                         "lightEnable", "setRenderState"}));
}

TEST_F(CameraTest, DirectionLengthDoesNotMatter) {
  lightInputs.dirX[0] = 0;
  lightInputs.dirY[0] = -30;
  lightInputs.dirZ[0] = 40;
  lightInputs.dirX[1] = 0;
  lightInputs.dirY[1] = -0.06f;
  lightInputs.dirZ[1] = 0.08f;
  setDirectionalLight(0);
  setDirectionalLight(1);
  expectNear(lights[0].direction, 0, -0.6f, 0.8f, 1e-6f);
  expectNear(lights[1].direction, 0, -0.6f, 0.8f, 1e-6f);
  // A zero direction stays zero rather than turning into NaN.
  setDirectionalLight(5);
  expectNear(lights[5].direction, 0, 0, 0, 0);
}

TEST_F(CameraTest, SpecularPowerIsThirtyFromTheFirstCall) {
  fillSlot(2, {material(1, 0, 0, 1), material(0, 1, 0, 1)});
  setDirectionalLight(2);
  EXPECT_EQ(ObjectTable.specularPower[2], 30);
  for (const platform::Material& m : ObjectTable.materials[2]) {
    EXPECT_EQ(m.power, 30.0f);
    EXPECT_EQ(m.specular.r, 0.5f);
    EXPECT_EQ(m.specular.a, 0.5f);
  }
  // A power already stored is kept.
  fillSlot(3, {material(1, 1, 1, 1)});
  ObjectTable.specularPower[3] = 12;
  setDirectionalLight(3);
  EXPECT_EQ(ObjectTable.materials[3][0].power, 12.0f);
  EXPECT_EQ(ObjectTable.specularPower[3], 12);
}

TEST_F(CameraTest, SlotWithoutMaterialsIsLeftAlone) {
  // A clone holds material copies but a material count of 0.
  fillSlot(40, {material(1, 0, 0, 1)});
  cloneSlot(40, 1);
  setDirectionalLight(1);
  EXPECT_EQ(ObjectTable.materials[1][0].power, 0.0f);
  EXPECT_EQ(ObjectTable.materials[1][0].specular.r, 0.0f);
  EXPECT_EQ(ObjectTable.specularPower[1], 0);
  setDirectionalLight(0);  // slot 0 holds nothing
  EXPECT_TRUE(ObjectTable.materials[0].empty());
}

TEST_F(CameraTest, LightIndexOutOfRangeDoesNothing) {
  ::testing::internal::CaptureStderr();
  setDirectionalLight(MAX_LIGHT_INDEX);
  setDirectionalLight(-1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("outside"), std::string::npos);
  EXPECT_TRUE(dev().log.calls().empty());
}

}  // namespace
