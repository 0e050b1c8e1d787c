// A pad drives through the keyboard's own key bytes: the null backend's
// scripted pad, held as the keys would be, leaves the car in the same state,
// number for number.
#include <gtest/gtest.h>

#include <vector>

#include "app/app_state.hpp"
#include "render/camera.hpp"
#include "sim/driving.hpp"
#include "sim_fixture.hpp"

namespace {

using namespace platform;

class PadDriveTest : public SimTest {
 protected:
  // The title screen left with Enter, then 60 frames of throttle and 30 of
  // throttle and left steering, from the keys or from a pad.
  std::vector<float> drive(bool withPad) {
    writeSmallModels();
    writeTrack();
    writeLane(
        "L.wp", 85, [](int i) { return i == 84 ? 0 : 100; }, [](int) { return 0; });
    writeLane(
        "R.wp", 120, [](int i) { return 100 + i; }, [](int) { return 0; });
    startGame();
    appState->frameStep = 1;
    hold(DIK_RETURN);
    frame();
    lift(DIK_RETURN);
    PadReading pad;
    pad.rightTrigger = 32767;
    if (withPad)
      b().keyboard.pads = {pad};
    else
      hold(DIK_UP);
    frames(60);
    pad.leftStickX = -32768;
    if (withPad)
      b().keyboard.pads = {pad};
    else
      hold(DIK_LEFT);
    frames(30);
    return {carSpeed,        driveSign,       carHeading,     steerValue,
            yawStep,         Camera.eye.x,    Camera.eye.z,   Camera.target.x,
            Camera.target.y, Camera.target.z, bodyPitchFront, bodyRollLeft};
  }
};

TEST_F(PadDriveTest, RightTriggerAndStickDriveExactlyAsUpAndLeft) {
  const std::vector<float> keys = drive(false);
  TearDown();
  SetUp();
  const std::vector<float> pad = drive(true);
  // The keys moved and turned the car: the comparison is not of two cars at rest.
  EXPECT_GT(keys[0], 0.05f);
  EXPECT_NE(keys[2], 0.0f);
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i], pad[i]) << "value " << i;
}

}  // namespace
