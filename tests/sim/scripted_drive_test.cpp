// A scripted drive on a flat track with one wall, 100 ms per frame
// (frameStep 1): Enter, 60 frames of Up, 5 of Left, 20 of Up, then Down
// (braking) into the wall. The expected values were worked out by hand from
// the driving rules; the arithmetic is in the comments.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.hpp"
#include "render/camera.hpp"
#include "sim/driving.hpp"
#include "sim/probes.hpp"
#include "sim_fixture.hpp"

namespace {

using namespace platform;

class ScriptedDriveTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    writeSmallModels();
    // The slab begins at z 93.8 (world height 6.5, above the high probes).
    writeTrack("93.8");
    // The start point 84 at the origin; every other waypoint far away.
    writeLane(
        "L.wp", 85, [](int i) { return i == 84 ? 0 : 500; },
        [](int i) { return i == 84 ? 0 : 500; });
    writeLane(
        "R.wp", 120, [](int) { return 500; }, [](int) { return 500; });
    startGame();
    appState->frameStep = 1;
  }
  void expectEye(float x, float y, float z, float tol) {
    EXPECT_NEAR(Camera.eye.x, x, tol);
    EXPECT_NEAR(Camera.eye.y, y, tol);
    EXPECT_NEAR(Camera.eye.z, z, tol);
  }
  void expectTarget(float x, float z, float tol) {
    EXPECT_NEAR(Camera.target.x, x, tol);
    EXPECT_FLOAT_EQ(Camera.target.y, 4.1f);
    EXPECT_NEAR(Camera.target.z, z, tol);
  }
};

TEST_F(ScriptedDriveTest, AccelerateTurnAndBounceOffTheWall) {
  // Start: eye (0, ?, 0), target 11 ahead turned 0.01 to the left:
  //   (-11 sin 0.01, 11 cos 0.01) = (-0.10999817, 10.99945000).
  // Frame 1 (Enter): a driving frame with no arrow key. Speed 0 stays 0.
  // The probes find the floor above the low ones: lift 0.08 for frame 2 on.
  hold(DIK_RETURN);
  frame();
  lift(DIK_RETURN);
  expectEye(0, 7.3f, 0, 1e-6);
  expectTarget(-0.10999817f, 10.99945f, 1e-5);
  EXPECT_EQ(carSpeed, 0);
  EXPECT_EQ(bodyLift, 0.08f);
  for (int k = 3; k <= 6; ++k) EXPECT_EQ(probeHit[k], 1) << k;
  for (int k = 7; k <= 12; ++k) EXPECT_EQ(probeHit[k], 0) << k;

  // Frame 2 (Up): the move by speed 0 changes nothing, then +0.002.
  hold(DIK_UP);
  frame();
  expectEye(0, 7.38f, 0, 1e-6);  // 0.08 + 7.3
  EXPECT_NEAR(carSpeed, 0.002f, 1e-8);
  // Frame 3: moves by 0.002 eye-to-target vectors,
  //   0.002 * (-0.10999817, 10.99945) = (-0.00021999633, 0.02199890); speed 0.004.
  frame();
  expectEye(-0.00021999633f, 7.38f, 0.0219989f, 1e-7);
  expectTarget(-0.10999817f - 0.00021999633f, 10.99945f + 0.0219989f, 1e-5);
  EXPECT_NEAR(carSpeed, 0.004f, 1e-8);

  // Frames 4 to 61 (Up): after Up frame n (frames 2..61 are n = 1..60) the
  // speed is 0.002 n, and the moves so far add up to
  //   0.002 * (0 + 1 + ... + 59) = 0.002 * 1770 = 3.54 vectors:
  //   eye = 3.54 * (-0.10999817, 10.99945) = (-0.38939351, 38.93805302).
  frames(58);
  EXPECT_NEAR(carSpeed, 0.12f, 1e-6);
  expectEye(-0.38939351f, 7.38f, 38.93805302f, 1e-3);
  expectTarget(-0.38939351f - 0.10999817f, 38.93805302f + 10.99945f, 1e-3);
  EXPECT_EQ(carHeading, 0);

  // Frames 62 to 66 (Left only): each frame moves by the speed along the
  // view at angle a (to the left of +z), coasts by -0.004 and then turns
  // the view by +0.03 and the heading with it; the wheel gains 0.1:
  //   speed 0.120 at a 0.01: (-0.01319978, 1.31993400)
  //         0.116 at a 0.04: (-0.05102639, 1.27497934)
  //         0.112 at a 0.07: (-0.08616959, 1.22898283)
  //         0.108 at a 0.10: (-0.11860210, 1.18206495)
  //         0.104 at a 0.13: (-0.14830146, 1.13434681)
  //   sum (-0.41729932, 6.14030792): eye (-0.80669283, 45.07836094);
  //   speed 0.100, heading 0.15, view at 0.16: target = eye + 11 (-sin 0.16,
  //   cos 0.16) = eye + (-1.75250027, 10.85950012).
  lift(DIK_UP);
  hold(DIK_LEFT);
  frames(5);
  EXPECT_NEAR(carSpeed, 0.1f, 1e-6);
  EXPECT_NEAR(carHeading, 0.15f, 1e-6);
  EXPECT_NEAR(yawStep, 0.03f, 1e-7);
  EXPECT_NEAR(steerValue, 0.5f, 1e-6);
  EXPECT_EQ(turningFlag, 1);
  expectEye(-0.80669283f, 7.38f, 45.07836094f, 1e-3);
  expectTarget(-0.80669283f - 1.75250027f, 45.07836094f + 10.85950012f, 1e-3);

  // Frames 67 to 86 (Up): the wheel returns 0.5 -> 0.3 -> 0.1 and then
  // stays at 0.1 (0.1 - 0.2 = -0.1, + 0.2 = 0.1); the heading keeps 0.15;
  // the speed grows to 0.100 + 20 * 0.002 = 0.140.
  lift(DIK_LEFT);
  hold(DIK_UP);
  frames(20);
  EXPECT_NEAR(carSpeed, 0.14f, 1e-6);
  EXPECT_NEAR(carHeading, 0.15f, 1e-6);
  EXPECT_NEAR(steerValue, 0.1f, 1e-6);
  EXPECT_EQ(yawStep, 0);

  // From frame 87, Down: each frame -0.004 coasting and -0.007 braking,
  // 0.140 -> 0.129 -> ... -> 0.085 after frame 91. Probe 9, 10 v + 12 ahead
  // of the body, stands at z = Z2 + (10 v + 12) cos 0.15 with
  // Z2 = tz - 6.9 cos 0.15 + 0.8 sin 0.15: 93.26 in frame 91 (short of the
  // wall at 93.8), 94.19 in frame 92.
  lift(DIK_UP);
  hold(DIK_DOWN);
  frames(5);
  EXPECT_NEAR(carSpeed, 0.085f, 1e-5);
  EXPECT_EQ(probeHit[9], 0);
  // Frame 92: probe 9 hits. The move by 0.085 comes first, then coasting
  // and the brake give 0.074, and the front-centre response bounces it:
  // -0.074 / 3 = -0.0246667. No turn: yawStep 0.
  frame();
  EXPECT_EQ(probeHit[9], 1);
  EXPECT_EQ(probeHit[7] + probeHit[8] + probeHit[10], 0);
  EXPECT_NEAR(carSpeed, -0.0246667f, 1e-5);
  EXPECT_EQ(yawStep, 0);
  EXPECT_NEAR(carHeading, 0.15f, 1e-6);
  const float wallEyeZ = Camera.eye.z;
  // Frame 93: still touching (probe 9 at 94.03; the slide is 10 * -0.0247
  // shorter): the car moves back by 0.0246667 * 10.8595 = 0.26787 and the
  // brake makes it -0.0316667. From frame 94 on probe 9 is clear (93.69)
  // and the car keeps reversing, 0.007 faster each frame.
  frame();
  EXPECT_EQ(probeHit[9], 1);
  EXPECT_NEAR(carSpeed, -0.0316667f, 1e-5);
  EXPECT_NEAR(wallEyeZ - Camera.eye.z, 0.26787f, 1e-4);
  float lastZ = Camera.eye.z;
  for (int i = 0; i < 20; ++i) {
    frame();
    EXPECT_EQ(probeHit[9], 0);
    EXPECT_LT(Camera.eye.z, lastZ);
    lastZ = Camera.eye.z;
  }
  // 20 frames later: -0.0316667 - 20 * 0.007 = -0.1716667.
  EXPECT_NEAR(carSpeed, -0.1716667f, 1e-5);
  EXPECT_LT(Camera.eye.z, wallEyeZ);
}

}  // namespace
