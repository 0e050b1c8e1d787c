// Collision probes: their layout around the body, and the upward pick in
// the track's model space.
#include <gtest/gtest.h>

#include "render/graphics_device.hpp"
#include "render/math.hpp"
#include "render/mesh_load.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"
#include "sim/probes.hpp"
#include "sim_fixture.hpp"

namespace {

constexpr float HALF_PI = 1.57079632679f;

class ProbeTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    writeSmallModels();
    writeLane(
        "L.wp", 85, [](int) { return 0; }, [](int) { return 0; });
    writeLane(
        "R.wp", 120, [](int) { return 0; }, [](int) { return 0; });
    testing::internal::CaptureStderr();
    startGame();  // without Data/try.x: no track mesh
    EXPECT_NE(testing::internal::GetCapturedStderr().find("try.x"), std::string::npos);
    ObjectTable.posX[SLOT_PLAYER_CAR] = 10;
    ObjectTable.posZ[SLOT_PLAYER_CAR] = 20;
  }
  void expectProbe(int k, float x, float y, float z) {
    EXPECT_NEAR(ObjectTable.posX[k], x, 1e-5) << "probe " << k;
    EXPECT_FLOAT_EQ(ObjectTable.posY[k], y) << "probe " << k;
    EXPECT_NEAR(ObjectTable.posZ[k], z, 1e-5) << "probe " << k;
  }
  // Along distance of probe k ahead of the body at heading 0.
  float along(int k) { return ObjectTable.posZ[k] - 20; }
};

TEST_F(ProbeTest, LayoutAtRestFacingPlusZ) {
  placeProbes();
  // Along 7.5 / 12 fore and aft, side 4 to the left (-x at heading 0).
  expectProbe(3, 6, -1, 12.5f);
  expectProbe(4, 14, -1, 12.5f);
  expectProbe(5, 6, -1, 27.5f);
  expectProbe(6, 14, -1, 27.5f);
  expectProbe(7, 6, 2, 27.5f);
  expectProbe(8, 14, 2, 27.5f);
  expectProbe(9, 10, 2, 32);
  expectProbe(10, 10, 2, 8);
  expectProbe(11, 6, 2, 12.5f);
  expectProbe(12, 14, 2, 12.5f);
}

TEST_F(ProbeTest, LayoutSlidesWithSpeedBothWays) {
  // 10 * 0.3 = 3: front 7.5 + 3, far front 12 + 3, rear -7.5 + 3, far rear -12 + 3.
  carSpeed = 0.3f;
  placeProbes();
  for (int k : {5, 6, 7, 8}) EXPECT_NEAR(along(k), 10.5f, 1e-5) << k;
  EXPECT_NEAR(along(9), 15, 1e-5);
  for (int k : {3, 4, 11, 12}) EXPECT_NEAR(along(k), -4.5f, 1e-5) << k;
  EXPECT_NEAR(along(10), -9, 1e-5);

  carSpeed = -0.3f;
  placeProbes();
  for (int k : {5, 6, 7, 8}) EXPECT_NEAR(along(k), 4.5f, 1e-5) << k;
  EXPECT_NEAR(along(9), 9, 1e-5);
  for (int k : {3, 4, 11, 12}) EXPECT_NEAR(along(k), -10.5f, 1e-5) << k;
  EXPECT_NEAR(along(10), -15, 1e-5);
}

TEST_F(ProbeTest, LayoutAtHeadingHalfPi) {
  // Forward is -x, left is -z: probe 3 (7.5 back, 4 left) at (X2 + 7.5, Z2 - 4).
  carHeading = HALF_PI;
  placeProbes();
  expectProbe(3, 17.5f, -1, 16);
  expectProbe(6, 2.5f, -1, 24);
  expectProbe(9, -2, 2, 20);
  expectProbe(10, 22, 2, 20);
}

TEST_F(ProbeTest, PickCountsTrackAboveThePointNeverBelow) {
  // One triangle at model height 0 covering the origin, drawn with identity.
  writeFile("Data/try.x",
            "xof 0303txt 0032\nMesh {\n 3;\n -10.0;0.0;-10.0;, 10.0;0.0;-10.0;, 0.0;0.0;10.0;;\n"
            " 1;\n 3;0,1,2;;\n}\n");
  loadMeshIntoSlot(SLOT_TRACK, "Data/try.x");
  device->setTransform(platform::TransformState::World, matrixIdentity());
  EXPECT_EQ(pickTrackAbove(0, 0, -0.001f), 1);
  EXPECT_EQ(pickTrackAbove(0, 0, 0.001f), 0);  // however close below
  EXPECT_EQ(pickTrackAbove(0, 0, -500), 1);
  EXPECT_EQ(pickTrackAbove(30, 0, -1), 0);  // beside the triangle

  // Drawn at (100, 0.5, 0) with the default 1.2 height: the triangle is at
  // world x 90..110, height 0.5. The pick goes through the inverse.
  device->setTransform(platform::TransformState::World,
                       matrixMultiply(matrixScaling(1, 1.2f, 1), matrixTranslation(100, 0.5f, 0)));
  EXPECT_EQ(pickTrackAbove(100, 0, 0.4f), 1);
  EXPECT_EQ(pickTrackAbove(100, 0, 0.6f), 0);
  EXPECT_EQ(pickTrackAbove(0, 0, -1), 0);
}

TEST_F(ProbeTest, PickRunsAlongWorldUpInTheTracksOwnAxes) {
  // A square upright in model space (plane z = -5), drawn turned a quarter
  // about x: row vectors give world y = -model z = 5, world z = model y, so
  // it lies flat at world height 5. World up is model -z there.
  writeFile("Data/try.x",
            "xof 0303txt 0032\nMesh {\n 4;\n"
            " -10.0;-10.0;-5.0;, 10.0;-10.0;-5.0;, 10.0;10.0;-5.0;, -10.0;10.0;-5.0;;\n"
            " 2;\n 3;0,1,2;, 3;0,2,3;;\n}\n");
  loadMeshIntoSlot(SLOT_TRACK, "Data/try.x");
  device->setTransform(platform::TransformState::World, matrixRotationX(1.5707963f));
  EXPECT_EQ(pickTrackAbove(0, 0, 0), 1);
  EXPECT_EQ(pickTrackAbove(0, 9, 4.9f), 1);
  EXPECT_EQ(pickTrackAbove(0, 0, 5.1f), 0);
  EXPECT_EQ(pickTrackAbove(0, 11, 0), 0);
}

TEST_F(ProbeTest, NoTrackMeshMeansNoHitAnywhere) {
  ASSERT_EQ(ObjectTable.mesh[SLOT_TRACK], nullptr);  // no Data/try.x was written
  for (int k = 3; k <= 12; ++k) probeHit[k] = 1;
  placeProbes();
  testProbes();
  for (int k = 3; k <= 12; ++k) EXPECT_EQ(probeHit[k], 0) << k;
}

TEST_F(ProbeTest, TestProbesStoresOneFlagPerProbe) {
  // A floor under everything and, from z 30 on, a roof at model height 5:
  // only probe 9 (at z 32, height 2) is under the roof; the floor at 0
  // is above the low probes only.
  writeFile("Data/try.x",
            "xof 0303txt 0032\nMesh {\n 6;\n"
            " -100.0;0.0;-100.0;, 100.0;0.0;-100.0;, 0.0;0.0;100.0;,\n"
            " -100.0;5.0;30.0;, 100.0;5.0;30.0;, 0.0;5.0;100.0;;\n"
            " 2;\n 3;0,1,2;, 3;3,4,5;;\n}\n");
  loadMeshIntoSlot(SLOT_TRACK, "Data/try.x");
  device->setTransform(platform::TransformState::World, matrixIdentity());
  placeProbes();
  testProbes();
  const int expected[13] = {0, 0, 0, 1, 1, 1, 1, 0, 0, 1, 0, 0, 0};
  for (int k = 3; k <= 12; ++k) EXPECT_EQ(probeHit[k], expected[k]) << k;
}

}  // namespace
