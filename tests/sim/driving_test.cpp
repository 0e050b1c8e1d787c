// The driving model: every branch of driveStep, the body attitude, and the
// poses of the body, wheel and needle. Unless a test says otherwise the eye
// is at the origin and the target 11 ahead in +z, with frameStep 1.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app_state.hpp"
#include "app/keyboard_input.hpp"
#include "render/camera.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"
#include "sim/probes.hpp"
#include "sim_fixture.hpp"

namespace {

using namespace platform;

constexpr float PI = 3.14159265358979f;

class DrivingTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    b().system.windowExists = true;
    appState->frameStep = 1;
    Camera.eye = {0, 7.3f, 0};
    Camera.target = {0, 4.1f, 11};
  }
  static void press(uint8_t code) { KeyState[code] = 0x80; }
  static void expectTarget(float x, float z) {
    EXPECT_NEAR(Camera.target.x, x, 1e-5);
    EXPECT_NEAR(Camera.target.z, z, 1e-5);
  }
};

TEST_F(DrivingTest, DeadZoneSnapsInsideOneHundredthOnly) {
  // 0.005 with no key: snapped before the move, so nothing moves.
  carSpeed = 0.005f;
  driveStep();
  EXPECT_EQ(carSpeed, 0);
  EXPECT_EQ(Camera.eye.z, 0);

  // Exactly 0.01: kept, moves 0.01 * 11 = 0.11, then coasts to 0.01 - 0.004.
  carSpeed = 0.01f;
  driveStep();
  EXPECT_NEAR(Camera.eye.z, 0.11f, 1e-6);
  EXPECT_NEAR(Camera.target.z, 11.11f, 1e-5);
  EXPECT_NEAR(carSpeed, 0.006f, 1e-7);

  // Exactly -0.01: kept, coasts up by 0.003 to -0.007.
  carSpeed = -0.01f;
  driveStep();
  EXPECT_NEAR(carSpeed, -0.007f, 1e-7);
  EXPECT_EQ(driveSign, -1);

  // A held Up or Down disables the dead zone: 0.005 moves and, with Up,
  // gains 0.002.
  carSpeed = 0.005f;
  press(DIK_UP);
  const float z = Camera.eye.z;
  driveStep();
  EXPECT_NEAR(Camera.eye.z - z, 0.055f, 1e-6);
  EXPECT_NEAR(carSpeed, 0.007f, 1e-7);
}

TEST_F(DrivingTest, LeftoverYawStepClearedOnlyWhileNotTurningOrInTheDeadZone) {
  // Left and Right together take the probe-response path, which clears a
  // leftover yawStep while the turning flag is 0...
  press(DIK_LEFT);
  press(DIK_RIGHT);
  yawStep = 0.03f;
  carSpeed = 0.1f;
  driveStep();
  EXPECT_EQ(yawStep, 0);
  EXPECT_EQ(carHeading, 0);
  // ...but after a turn (flag 1) nothing clears it, so the heading goes on
  // advancing while the view holds still...
  turningFlag = 1;
  yawStep = 0.03f;
  carSpeed = 0.1f;
  driveStep();
  EXPECT_NEAR(carHeading, 0.03f, 1e-7);
  driveStep();
  EXPECT_NEAR(carHeading, 0.06f, 1e-7);
  EXPECT_NEAR(Camera.target.x, 0, 1e-6);  // straight on, no turn
  EXPECT_NEAR(steerValue, 0, 1e-7);
  // ...until the speed falls into the dead zone.
  carSpeed = 0.009f;
  driveStep();
  EXPECT_EQ(yawStep, 0);
  EXPECT_NEAR(carHeading, 0.06f, 1e-7);
}

TEST_F(DrivingTest, CoastingAndThrottleAndBrake) {
  // No key: forward coasts down by 0.004, reverse up by 0.003.
  carSpeed = 0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.196f, 1e-7);
  EXPECT_NEAR(Camera.eye.z, 2.2f, 1e-6);  // moved by the speed before coasting
  carSpeed = -0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, -0.197f, 1e-7);

  // Up below 0.3 adds 0.002 and may pass 0.3; at 0.3 or above it adds
  // nothing and forward coasting is off.
  press(DIK_UP);
  carSpeed = 0.299f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.301f, 1e-7);
  driveStep();
  EXPECT_NEAR(carSpeed, 0.301f, 1e-7);
  // Up while reversing: reverse coasting still acts, 0.003 + 0.002.
  carSpeed = -0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, -0.195f, 1e-7);

  // Down brakes by 0.007 with forward coasting by 0.004, and then reverses
  // without limit.
  KeyState[DIK_UP] = 0;
  press(DIK_DOWN);
  carSpeed = 0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.189f, 1e-7);
  carSpeed = -5;
  driveStep();
  EXPECT_NEAR(carSpeed, -5.007f, 1e-6);

  // Up and Down: +0.002 and -0.007, no coasting.
  press(DIK_UP);
  carSpeed = 0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.195f, 1e-7);
}

TEST_F(DrivingTest, CoastingCanPushASpeedOverZeroAndPullItBack) {
  // -0.02 with fs 10 and no key: reverse coasting gives -0.02 + 0.03 = 0.01,
  // which the forward rule reads afresh: driveSign +1, 0.01 - 0.04 = -0.03.
  appState->frameStep = 10;
  carSpeed = -0.02f;
  driveStep();
  EXPECT_EQ(driveSign, 1);
  EXPECT_NEAR(carSpeed, -0.03f, 1e-7);
  // With Up held (so no dead zone) at fs 2: -0.0025 + 0.006 = 0.0035, no
  // forward coasting under Up, then the throttle's 0.004: 0.0075.
  press(DIK_UP);
  appState->frameStep = 2;
  carSpeed = -0.0025f;
  driveStep();
  EXPECT_EQ(driveSign, 1);
  EXPECT_NEAR(carSpeed, 0.0075f, 1e-7);
}

TEST_F(DrivingTest, WheelTurnsAtAStandstillButTheViewDoesNot) {
  press(DIK_LEFT);
  driveStep();
  EXPECT_NEAR(steerValue, 0.1f, 1e-7);
  EXPECT_EQ(carHeading, 0);
  EXPECT_EQ(turningFlag, 0);
  expectTarget(0, 11);
  KeyState[DIK_LEFT] = 0;
  press(DIK_RIGHT);
  driveStep();
  driveStep();
  EXPECT_NEAR(steerValue, -0.1f, 1e-7);
  expectTarget(0, 11);
}

TEST_F(DrivingTest, SteeringTurnsTheViewAndReversingTurnsItTheOtherWay) {
  // Forward with Left: moves 0.1 * 11, coasts to 0.096, turns by +0.03 about
  // the eye (0, 1.1): target (-11 sin 0.03, 1.1 + 11 cos 0.03)
  //   = (-0.3299505, 1.1 + 10.9950502) = (-0.3299505, 12.0950502).
  press(DIK_LEFT);
  carSpeed = 0.1f;
  driveStep();
  EXPECT_NEAR(Camera.eye.z, 1.1f, 1e-6);
  expectTarget(-0.3299505f, 12.0950502f);
  EXPECT_NEAR(yawStep, 0.03f, 1e-8);
  EXPECT_NEAR(carHeading, 0.03f, 1e-8);
  EXPECT_EQ(turningFlag, 1);
  EXPECT_NEAR(steerValue, 0.1f, 1e-7);

  // Reversing with Left: the move comes first (eye (0, -2.2)), coasting
  // makes driveSign -1, and the turn is -0.03, to the right (+x):
  // target (11 sin 0.03, -2.2 + 11 cos 0.03) = (0.3299505, 8.7950502).
  Camera.eye = {0, 7.3f, 0};
  Camera.target = {0, 4.1f, 11};
  carHeading = 0;
  carSpeed = -0.2f;
  driveStep();
  EXPECT_EQ(driveSign, -1);
  expectTarget(0.3299505f, 8.7950502f);
  EXPECT_NEAR(yawStep, -0.03f, 1e-8);
  EXPECT_NEAR(carHeading, -0.03f, 1e-8);

  // Right while reversing turns left.
  KeyState[DIK_LEFT] = 0;
  press(DIK_RIGHT);
  driveStep();
  EXPECT_NEAR(yawStep, 0.03f, 1e-8);
}

TEST_F(DrivingTest, WheelGrowsPastOneOnceAndIsNeverClamped) {
  press(DIK_LEFT);
  steerValue = 0.95f;
  driveStep();
  EXPECT_NEAR(steerValue, 1.05f, 1e-6);
  driveStep();
  EXPECT_NEAR(steerValue, 1.05f, 1e-6);
  KeyState[DIK_LEFT] = 0;
  press(DIK_RIGHT);
  steerValue = -0.95f;
  driveStep();
  driveStep();
  EXPECT_NEAR(steerValue, -1.05f, 1e-6);
}

TEST_F(DrivingTest, ReturnToCentreOvershootsSmallValues) {
  // 0.1 - 0.2 = -0.1, then the second test adds 0.2 back: stays at 0.1.
  steerValue = 0.1f;
  driveStep();
  EXPECT_NEAR(steerValue, 0.1f, 1e-7);
  driveStep();
  EXPECT_NEAR(steerValue, 0.1f, 1e-7);
  // 0.5 -> 0.3 in one frame; -0.5 -> -0.3.
  steerValue = 0.5f;
  driveStep();
  EXPECT_NEAR(steerValue, 0.3f, 1e-7);
  steerValue = -0.5f;
  driveStep();
  EXPECT_NEAR(steerValue, -0.3f, 1e-7);
  // The return also clears the turning flag and yawStep.
  turningFlag = 1;
  yawStep = 0.5f;
  carSpeed = 0.1f;
  driveStep();
  EXPECT_EQ(turningFlag, 0);
  EXPECT_EQ(yawStep, 0);
  EXPECT_EQ(carHeading, 0);
}

TEST_F(DrivingTest, CentreProbesBounceTheCarBackAtAThird) {
  // Front centre at 0.3 with Up held (no coasting, throttle blocked): -0.1.
  press(DIK_UP);
  probeHit[9] = 1;
  turningFlag = 1;
  yawStep = 0.05f;
  carSpeed = 0.3f;
  driveStep();
  EXPECT_NEAR(carSpeed, -0.1f, 1e-7);
  EXPECT_EQ(yawStep, 0);
  EXPECT_EQ(carHeading, 0);
  EXPECT_EQ(turningFlag, 1);
  // A reversing car is not bounced by the front probe.
  KeyState[DIK_UP] = 0;
  press(DIK_DOWN);
  carSpeed = -0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, -0.207f, 1e-7);  // the brake still acts

  // Rear centre at -0.3 with Down held (brake blocked): +0.1.
  probeHit[9] = 0;
  probeHit[10] = 1;
  carSpeed = -0.3f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.1f, 1e-7);
  EXPECT_EQ(yawStep, 0);

  // Probe 10 suppresses the rear-side responses: no stop, no turn.
  probeHit[11] = probeHit[12] = 1;
  Camera.target = {Camera.eye.x, 4.1f, Camera.eye.z + 11};
  carSpeed = -0.3f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.1f, 1e-7);
  EXPECT_EQ(carHeading, 0);
  EXPECT_NEAR(Camera.target.x, Camera.eye.x, 1e-6);
}

TEST_F(DrivingTest, FrontSideProbesBothTurnLeftAndHeadingTakesTheLastTurn) {
  // Probe 7: bounce 0.2 -> coasted 0.196 -> -0.0653333, turn +0.06.
  probeHit[7] = 1;
  carSpeed = 0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, -0.196f / 3, 1e-7);
  EXPECT_NEAR(yawStep, 0.06f, 1e-8);
  EXPECT_NEAR(carHeading, 0.06f, 1e-8);
  EXPECT_EQ(turningFlag, 1);
  // From the eye moved to (0, 2.2): target (-11 sin 0.06, 2.2 + 11 cos 0.06) = (-0.6596041, 2.2
  // + 10.9802059).
  expectTarget(-0.6596041f, 2.2f + 10.9802059f);

  // Probes 7 and 8 together: the view turns by both (0.12 in all), the
  // heading by the last one only (0.06).
  Camera.eye = {0, 7.3f, 0};
  Camera.target = {0, 4.1f, 11};
  carHeading = 0;
  carSpeed = 0;
  probeHit[8] = 1;
  driveStep();
  EXPECT_NEAR(carHeading, 0.06f, 1e-8);
  expectTarget(-11 * std::sin(0.12f), 11 * std::cos(0.12f));

  // Probe 9 or probe 10 with them suppresses both: no turn.
  for (int k = 9; k <= 10; ++k) {
    SCOPED_TRACE(k);
    probeHit[9] = probeHit[10] = 0;
    probeHit[k] = 1;
    carHeading = 0;
    Camera.target = {0, 4.1f, 11};
    driveStep();
    EXPECT_EQ(carHeading, 0);
    expectTarget(0, 11);
  }
}

TEST_F(DrivingTest, FrontProbesBlockThrottleAndSteeringAndRearOnesSteeringAndBrake) {
  press(DIK_UP);
  press(DIK_LEFT);
  probeHit[8] = 1;
  probeHit[9] = 1;   // suppresses 8's own response
  carSpeed = -0.1f;  // reversing: the front bounce does not act either
  driveStep();
  EXPECT_NEAR(carSpeed, -0.097f, 1e-7);  // reverse coasting only
  EXPECT_EQ(steerValue, 0);

  // Each rear probe alone blocks the brake and the turn keys: with Down and
  // Left held, 0.2 only coasts to 0.196 and the wheel stays still.
  KeyState[DIK_UP] = 0;
  press(DIK_DOWN);
  probeHit[8] = probeHit[9] = 0;
  for (int k = 10; k <= 12; ++k) {
    SCOPED_TRACE(k);
    probeHit[10] = probeHit[11] = probeHit[12] = 0;
    probeHit[k] = 1;
    carSpeed = 0.2f;
    driveStep();
    EXPECT_NEAR(carSpeed, 0.196f, 1e-7);
    EXPECT_EQ(steerValue, 0);
  }
}

TEST_F(DrivingTest, RearSideProbesStopAReversingCarAndTurnIt) {
  // Probe 11 while reversing: stop, turn driveSign * 0.06 = -0.06 (right).
  press(DIK_DOWN);
  probeHit[11] = 1;
  carSpeed = -0.2f;
  driveStep();
  EXPECT_EQ(carSpeed, 0);
  EXPECT_NEAR(yawStep, -0.06f, 1e-8);
  EXPECT_NEAR(carHeading, -0.06f, 1e-8);
  EXPECT_EQ(turningFlag, 1);
  // From the eye moved to (0, -2.2): target (11 sin 0.06, -2.2 + 11 cos 0.06).
  expectTarget(0.6596041f, -2.2f + 10.9802059f);

  // Probe 12 while reversing turns the other way, +0.06.
  probeHit[11] = 0;
  probeHit[12] = 1;
  carHeading = 0;
  carSpeed = -0.2f;
  driveStep();
  EXPECT_EQ(carSpeed, 0);
  EXPECT_NEAR(yawStep, 0.06f, 1e-8);

  // Moving forward the speed is left alone (Up: 0.2 + 0.002) and the car
  // still turns, by -driveSign * 0.06 = -0.06.
  KeyState[DIK_DOWN] = 0;
  press(DIK_UP);
  carHeading = 0;
  carSpeed = 0.2f;
  driveStep();
  EXPECT_NEAR(carSpeed, 0.202f, 1e-7);
  EXPECT_NEAR(carHeading, -0.06f, 1e-8);
}

TEST_F(DrivingTest, BodyAttitudeFromTheLowProbes) {
  for (int k = 3; k <= 6; ++k) probeHit[k] = 1;
  updateBodyAttitude();
  EXPECT_EQ(bodyLift, 0.08f);
  EXPECT_FLOAT_EQ(bodyPitchRear + bodyPitchFront, 0.03f);
  EXPECT_EQ(bodyRollLeft + bodyRollRight, 0);

  // Only the right side (4 and 6): roll -0.015 at heading 0, +0.015 at pi.
  probeHit[3] = probeHit[5] = 0;
  updateBodyAttitude();
  EXPECT_EQ(bodyRollRight, -0.015f);
  EXPECT_EQ(bodyRollLeft, 0);
  EXPECT_EQ(headingCosSign, 1);
  carHeading = PI;
  updateBodyAttitude();
  EXPECT_EQ(bodyRollRight, 0.015f);
  EXPECT_EQ(headingCosSign, -1);

  // Rear only: pitch 0.015; none: everything 0.
  probeHit[6] = 0;
  updateBodyAttitude();
  EXPECT_EQ(bodyPitchRear, 0.015f);
  EXPECT_EQ(bodyPitchFront, 0);
  EXPECT_EQ(bodyLift, 0.08f);
  probeHit[4] = 0;
  updateBodyAttitude();
  EXPECT_EQ(bodyLift, 0);
  EXPECT_EQ(bodyPitchRear, 0);
  EXPECT_EQ(bodyRollRight, 0);
}

TEST_F(DrivingTest, BodyWheelAndNeedlePosedAroundTheTarget) {
  // Heading 0, target (0, 11): body 6.9 behind and 0.8 right, wheel 6
  // behind and 0.6 left, needle 5.5 behind and 0.49 left.
  bodyLift = 0.08f;
  bodyPitchRear = bodyPitchFront = 0.015f;
  bodyRollRight = -0.015f;  // a hit on the right side only: roll 0 + -0.015
  steerValue = 0.4f;
  placeCarModels();
  EXPECT_NEAR(ObjectTable.posX[SLOT_PLAYER_CAR], 0.8f, 1e-6);
  EXPECT_NEAR(ObjectTable.posY[SLOT_PLAYER_CAR], 2.88f, 1e-6);
  EXPECT_NEAR(ObjectTable.posZ[SLOT_PLAYER_CAR], 4.1f, 1e-6);
  EXPECT_NEAR(ObjectTable.rotX[SLOT_PLAYER_CAR], 0.03f, 1e-8);
  EXPECT_FLOAT_EQ(ObjectTable.rotZ[SLOT_PLAYER_CAR], -0.015f);
  EXPECT_NEAR(ObjectTable.posX[SLOT_STEERING_WHEEL], -0.6f, 1e-6);
  EXPECT_NEAR(ObjectTable.posY[SLOT_STEERING_WHEEL], 4.28f, 1e-6);
  EXPECT_NEAR(ObjectTable.posZ[SLOT_STEERING_WHEEL], 5, 1e-6);
  EXPECT_FLOAT_EQ(ObjectTable.rotZ[SLOT_STEERING_WHEEL], 0.4f);
  EXPECT_NEAR(ObjectTable.posX[SLOT_GAUGE_NEEDLE], -0.49f, 1e-6);
  EXPECT_NEAR(ObjectTable.posY[SLOT_GAUGE_NEEDLE], 4.91f, 1e-6);  // 0.08 + 0.03 + 4.8
  EXPECT_NEAR(ObjectTable.posZ[SLOT_GAUGE_NEEDLE], 5.5f, 1e-6);

  // Heading pi/2 (forward -x): the body is 6.9 behind in +x and 0.8 right in
  // +z; the wheel and needle yaw by -pi/2.
  carHeading = PI / 2;
  placeCarModels();
  EXPECT_NEAR(ObjectTable.posX[SLOT_PLAYER_CAR], 6.9f, 1e-5);
  EXPECT_NEAR(ObjectTable.posZ[SLOT_PLAYER_CAR], 11.8f, 1e-5);
  EXPECT_NEAR(ObjectTable.posX[SLOT_STEERING_WHEEL], 6, 1e-5);
  EXPECT_NEAR(ObjectTable.posZ[SLOT_STEERING_WHEEL], 10.4f, 1e-5);
  EXPECT_FLOAT_EQ(ObjectTable.rotY[SLOT_STEERING_WHEEL], -PI / 2);
  EXPECT_FLOAT_EQ(ObjectTable.rotY[SLOT_GAUGE_NEEDLE], -PI / 2);
}

TEST_F(DrivingTest, NeedleSwingsBackFiveRadiansPerUnitOfSpeedEitherWay) {
  placeCarModels();
  EXPECT_FLOAT_EQ(ObjectTable.rotZ[SLOT_GAUGE_NEEDLE], 2.617993950843811f);
  carSpeed = 0.3f;
  placeCarModels();
  EXPECT_FLOAT_EQ(ObjectTable.rotZ[SLOT_GAUGE_NEEDLE], 1.117993950843811f);
  carSpeed = -0.3f;
  placeCarModels();
  EXPECT_FLOAT_EQ(ObjectTable.rotZ[SLOT_GAUGE_NEEDLE], 1.117993950843811f);
}

TEST_F(DrivingTest, BodyYawPointsItsPlusZFromTheTargetBackToTheEye) {
  // Target 0.01 rad to the left of +z (the start view): the body's +z
  // points back along (0.11, -11), i.e. yaw pi - 0.01.
  Camera.target = {-11 * std::sin(0.01f), 4.1f, 11 * std::cos(0.01f)};
  EXPECT_NEAR(yawFromCamera(), PI - 0.01f, 1e-6);
  EXPECT_NEAR(ObjectTable.rotY[SLOT_PLAYER_CAR], PI - 0.01f, 1e-6);
  // 0.01 to the right: -(pi - 0.01).
  Camera.target.x = -Camera.target.x;
  EXPECT_NEAR(yawFromCamera(), -(PI - 0.01f), 1e-6);
  // Looking along +x: the body faces back along -x, yaw -pi/2.
  Camera.target = {11, 4.1f, 0};
  EXPECT_NEAR(yawFromCamera(), -PI / 2, 1e-6);
  // Straight along +z (dx exactly 0): yaw pi, not 0; straight along -z: 0.
  Camera.target = {0, 4.1f, 11};
  EXPECT_NEAR(std::fabs(yawFromCamera()), PI, 1e-6);
  Camera.target = {0, 4.1f, -11};
  EXPECT_NEAR(yawFromCamera(), 0, 1e-6);
}

}  // namespace
