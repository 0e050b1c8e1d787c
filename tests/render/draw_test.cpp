#include "render/draw.hpp"

#include "render/math.hpp"
#include "render/mesh_load.hpp"
#include "render_fixture.hpp"

namespace {

constexpr float PI = 3.14159265358979f;

using DrawTest = RenderTest;

TEST_F(DrawTest, ZeroScaleIsDrawnAtTheDefaultAndWrittenBack) {
  const SlotId s = 7;
  ObjectTable.scaleX[s] = 0;
  ObjectTable.scaleY[s] = 0;
  ObjectTable.scaleZ[s] = 2;
  drawSlot(s);
  EXPECT_EQ(ObjectTable.scaleX[s], 1.0f);
  EXPECT_EQ(ObjectTable.scaleY[s], 1.2f);
  EXPECT_EQ(ObjectTable.scaleZ[s], 2.0f);
  EXPECT_FLOAT_EQ(dev().world.m[0][0], 1.0f);
  EXPECT_FLOAT_EQ(dev().world.m[1][1], 1.2f);
  EXPECT_FLOAT_EQ(dev().world.m[2][2], 2.0f);
}

TEST_F(DrawTest, HiddenAndEmptySlotsOnlySetStatesAndTransform) {
  fillSlot(30, {material(1, 0, 0, 1)}, {0});
  ObjectTable.hidden[30] = 1;
  ObjectTable.posX[30] = 3;
  ObjectTable.posX[31] = -4;  // slot 31 holds nothing at all
  const std::vector<std::string> expected = {"setRenderState 145 0", "setRenderState 146 2",
                                             "setTransform 256"};
  size_t from = dev().log.calls().size();
  drawSlot(30);
  EXPECT_EQ(callsSince(from), expected);
  EXPECT_FLOAT_EQ(dev().world.m[3][0], 3.0f);
  from = dev().log.calls().size();
  drawSlot(31);
  EXPECT_EQ(callsSince(from), expected);
  EXPECT_FLOAT_EQ(dev().world.m[3][0], -4.0f);
}

TEST_F(DrawTest, WorldRotatesXThenZThenYThenScalesAlongWorldAxesThenMoves) {
  const SlotId s = 40;
  ObjectTable.rotX[s] = PI / 2;
  ObjectTable.rotZ[s] = PI / 2;
  ObjectTable.rotY[s] = PI / 2;
  ObjectTable.scaleX[s] = 2;
  ObjectTable.scaleY[s] = 3;
  ObjectTable.scaleZ[s] = 4;
  ObjectTable.posX[s] = 10;
  ObjectTable.posY[s] = 20;
  ObjectTable.posZ[s] = 30;
  drawSlot(s);
  const Matrix& w = dev().world;
  // +y: about x to +z, about z stays +z, about y to +x; x scaled by 2; moved.
  expectNear(vec3TransformCoord({0, 1, 0}, w), 12, 20, 30);
  // +x: about x stays, about z to +y, about y stays +y; y scaled by 3.
  expectNear(vec3TransformCoord({1, 0, 0}, w), 10, 23, 30);
  // +z: about x to -y, about z to +x, about y to -z; z scaled by 4.
  expectNear(vec3TransformCoord({0, 0, 1}, w), 10, 20, 26);
  expectNear(vec3TransformCoord({0, 0, 0}, w), 10, 20, 30);
}

TEST_F(DrawTest, EachMaterialDrawsItsSubsetWithAlphaForcedToOne) {
  fillSlot(25, {material(1, 0, 0, 0.25f), material(0, 1, 0, 1)}, {9, 0});
  const platform::MeshHandle gpu = ObjectTable.mesh[25]->gpu;
  const size_t from = dev().log.calls().size();
  drawSlot(25);
  const std::vector<std::string> expected = {
      "setRenderState 145 0", "setRenderState 146 2", "setTransform 256",
      "setMaterial",          "setTexture 0 9",       "drawSubset " + std::to_string(gpu) + " 0",
      "setMaterial",          "setTexture 0 0",       "drawSubset " + std::to_string(gpu) + " 1"};
  EXPECT_EQ(callsSince(from), expected);
  EXPECT_EQ(ObjectTable.materials[25][0].diffuse.a, 1.0f);
  // The device keeps the last subset's material and an untextured stage.
  EXPECT_EQ(dev().material.diffuse.g, 1.0f);
  EXPECT_EQ(dev().texture, 0u);
}

TEST_F(DrawTest, MaterialCountZeroDrawsNothingEvenWithAMesh) {
  fillSlot(5, {material(1, 1, 1, 1)});
  ObjectTable.materialCount[5] = 0;
  drawSlot(5);
  EXPECT_EQ(dev().log.count("drawSubset"), 0);
  EXPECT_EQ(dev().log.count("setMaterial"), 0);
}

TEST_F(DrawTest, CloneDrawsSourceMeshAndTexturesWithItsOwnPoseAndMaterials) {
  fillSlot(2, {material(1, 0, 0, 1), material(0, 0, 1, 1)}, {0, 11});
  cloneSlot(2, 50);
  ObjectTable.posZ[50] = 100;
  ObjectTable.materials[50][1].diffuse = {0.5f, 0.5f, 0.5f, 0.3f};
  const platform::MeshHandle gpu = ObjectTable.mesh[2]->gpu;
  const size_t from = dev().log.calls().size();
  drawSlot(50);
  const std::vector<std::string> calls = callsSince(from);
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[4], "setTexture 0 0");
  EXPECT_EQ(calls[5], "drawSubset " + std::to_string(gpu) + " 0");
  EXPECT_EQ(calls[7], "setTexture 0 11");
  EXPECT_EQ(calls[8], "drawSubset " + std::to_string(gpu) + " 1");
  EXPECT_FLOAT_EQ(dev().world.m[3][2], 100.0f);
  EXPECT_EQ(dev().material.diffuse.r, 0.5f);
  EXPECT_EQ(dev().material.diffuse.a, 1.0f);
  // The source keeps its own pose and materials.
  EXPECT_EQ(ObjectTable.posZ[2], 0.0f);
  EXPECT_EQ(ObjectTable.materials[2][1].diffuse.b, 1.0f);
}

TEST_F(DrawTest, OwnMeshIsDrawnBeforeTheSharedOne) {
  fillSlot(2, {material(1, 0, 0, 1)});
  cloneSlot(2, 60);
  ObjectTable.mesh[60] = makeMesh(1);  // a clone loaded afterwards holds both
  ObjectTable.materialCount[60] = 1;
  const platform::MeshHandle own = ObjectTable.mesh[60]->gpu;
  const platform::MeshHandle shared = ObjectTable.mesh[2]->gpu;
  drawSlot(60);
  std::vector<std::string> draws;
  for (const auto& c : dev().log.calls())
    if (c.name == "drawSubset") draws.push_back(c.args);
  EXPECT_EQ(draws,
            (std::vector<std::string>{std::to_string(own) + " 0", std::to_string(shared) + " 0"}));
}

TEST_F(DrawTest, CountsBeyondTheStoredMaterialsAndSlotsOutOfRangeAreSafe) {
  fillSlot(8, {material(1, 1, 1, 1)});
  ObjectTable.materialCount[8] = 400;  // written by hand, past the one material held
  ObjectTable.textures[8].clear();
  drawSlot(8);
  EXPECT_EQ(dev().log.count("drawSubset"), 1);
  EXPECT_EQ(dev().texture, 0u);

  ::testing::internal::CaptureStderr();
  const size_t from = dev().log.calls().size();
  drawSlot(MAX_SHARED_SLOT);
  drawSlot(-1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("2512"), std::string::npos);
  EXPECT_TRUE(callsSince(from).empty());
}

}  // namespace
