// The scene set-up: its steps, and what a second run after a device reset
// puts back and what it leaves alone.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/app_state.hpp"
#include "app/frame_driver.hpp"
#include "audio/background_music.hpp"
#include "render/camera.hpp"
#include "render/graphics_device.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"
#include "sim/game_state.hpp"
#include "sim/lanes.hpp"
#include "sim/recorder.hpp"
#include "sim/scene.hpp"
#include "sim/traffic.hpp"
#include "sim_fixture.hpp"

namespace {

using platform::DIK_LEFT;
using platform::DIK_RETURN;
using platform::DIK_SPACE;
using platform::DIK_UP;

class SceneTest : public SimTest {
 protected:
  // Right-lane point i at (i, 500 + i), left-lane point i at (-i, -500 - i).
  void writeNumberedWorld() {
    writeSmallModels();
    writeTrack();
    writeLane(
        "R.wp", 120, [](int i) { return i; }, [](int i) { return 500 + i; });
    writeLane(
        "L.wp", 85, [](int i) { return -i; }, [](int i) { return -500 - i; });
  }

  // The start pose from left-lane point 84 = (-84, -584): target 11 ahead in
  // +z, then turned 0.01 rad about the eye with dx = 0, dz = 11:
  //   tx = ex - 11 sin 0.01 = -84 - 0.10999817 = -84.10999817
  //   tz = ez + 11 cos 0.01 = -584 + 10.99945000 = -573.00055
  void expectStartPose() {
    EXPECT_FLOAT_EQ(Camera.eye.x, -84);
    EXPECT_FLOAT_EQ(Camera.eye.z, -584);
    EXPECT_NEAR(Camera.target.x, -84.10999817f, 2e-5);
    EXPECT_FLOAT_EQ(Camera.target.y, 4.1f);
    EXPECT_NEAR(Camera.target.z, -573.00055f, 6e-5);
    const int32_t start[9] = {70, 120, 20, 40, 100, 80, 50, 1, 20};
    for (int car = 0; car < 9; ++car) {
      const float sign = car < 5 ? 1.0f : -1.0f;
      EXPECT_EQ(trafficCars[car].waypoint, start[car]) << car;
      EXPECT_FLOAT_EQ(trafficCars[car].position.x, sign * start[car]) << car;
      EXPECT_FLOAT_EQ(trafficCars[car].position.z, sign * (500 + start[car])) << car;
    }
  }
};

TEST_F(SceneTest, StartPlacesCarsAndCameraAndLeavesEyeHeight) {
  writeNumberedWorld();
  Camera.eye.y = 42;
  clearColor = {1, 0.5f, 0.25f};
  startGame();
  EXPECT_EQ(sceneSetUpRuns, 1);
  expectStartPose();
  EXPECT_FLOAT_EQ(Camera.eye.y, 42);
  EXPECT_FLOAT_EQ(clearColor.r, 0);
  EXPECT_FLOAT_EQ(clearColor.g, 0);
  EXPECT_FLOAT_EQ(clearColor.b, 0);
  EXPECT_FALSE(b().system.cursorVisible);
}

TEST_F(SceneTest, SlotsAreLoadedClonedAndScaledAsTheTableSays) {
  writeNumberedWorld();
  startGame();
  for (SlotId slot : {2, 3, 4, 5, 6, 7, 20, 24, 25, 50, 51, 52, 53, 54, 333})
    EXPECT_NE(ObjectTable.mesh[slot], nullptr) << slot;
  // Probe markers 8 to 12 are clones of 7; the left lane's cars are clones
  // of the ford, honda, oct and honda2 (the truck has no twin).
  const std::pair<SlotId, SlotId> clones[] = {{8, 7},   {9, 7},   {10, 7},  {11, 7}, {12, 7},
                                              {55, 50}, {56, 51}, {57, 53}, {58, 54}};
  for (auto [target, source] : clones) {
    EXPECT_EQ(ObjectTable.mesh[target], nullptr) << target;
    EXPECT_EQ(ObjectTable.sharedMesh[target], ObjectTable.mesh[source]) << target;
    EXPECT_EQ(ObjectTable.textureSourceSlot[target], source) << target;
  }
  EXPECT_FLOAT_EQ(ObjectTable.scaleY[SLOT_PLAYER_CAR], 1.3f);
  EXPECT_FLOAT_EQ(ObjectTable.scaleY[SLOT_STEERING_WHEEL], 1.5f);
  for (SlotId slot : {SLOT_PLAYER_CAR, SLOT_STEERING_WHEEL}) {
    EXPECT_FLOAT_EQ(ObjectTable.scaleX[slot], 1);
    EXPECT_FLOAT_EQ(ObjectTable.scaleZ[slot], 1);
  }
  for (SlotId slot : {3, 12, 24, 25, 52, 58, 333})
    EXPECT_FLOAT_EQ(ObjectTable.scaleY[slot], 1.2f) << slot;

  ASSERT_EQ(dev().fonts.size(), 1u);
  const auto& font = dev().fonts.begin()->second;
  EXPECT_EQ(dev().fonts.begin()->first, titleFont);
  EXPECT_EQ(font.height, 62);
  EXPECT_EQ(font.weight, 400u);
  EXPECT_EQ(font.face, "");
}

TEST_F(SceneTest, DeviceResetPutsCarsAndCameraBackAndKeepsTheGame) {
  writeNumberedWorld();
  startGame();
  appState->frameStep = 1;
  hold(DIK_RETURN);
  hold(DIK_UP);
  frames(30);  // traffic moves from the 11th driving frame, the car drives
  hold(DIK_SPACE);
  frame();  // one recorded point: the fill index goes 85 -> 86
  lift(DIK_SPACE);
  EXPECT_EQ(leftLane.lastIndex, 86);
  ASSERT_NE(trafficCars[0].position.z, 570);
  ASSERT_GT(Camera.eye.z, -583);
  const platform::FontHandle oldFont = titleFont;

  // Lost at the present of one frame, then not-reset at the next test: the
  // frame driver resets and sets the scene up again.
  dev().presentResults.push_back(platform::Result::DeviceLost);
  frame();
  const float speed = carSpeed;
  dev().testResults.push_back(platform::Result::DeviceNotReset);
  dev().log.clear();
  frame();
  ASSERT_EQ(sceneSetUpRuns, 2);

  expectStartPose();
  EXPECT_EQ(GameState, 1);
  EXPECT_EQ(frameCounter, 32);
  EXPECT_FLOAT_EQ(carSpeed, speed);
  EXPECT_EQ(leftLane.lastIndex, 85);  // read again from L.wp
  // The old font is released before the new one is made.
  const auto names = dev().log.names();
  const auto release = std::find(names.begin(), names.end(), "releaseFont");
  const auto create = std::find(names.begin(), names.end(), "createFont");
  ASSERT_NE(release, names.end());
  EXPECT_LT(release, create);
  EXPECT_EQ(dev().fonts.count(oldFont), 0u);
  EXPECT_EQ(dev().fonts.size(), 1u);

  // The next frame tests usable and is a driving frame; traffic moves at once.
  frame();
  EXPECT_EQ(frameCounter, 33);
  EXPECT_EQ(trafficCars[0].waypoint, 71);
}

// The camera goes back to the start facing +z, and the car with it: the
// wheel, the needle and the probes are placed by the heading.
TEST_F(SceneTest, DeviceResetTurnsTheCarBackWithTheCamera) {
  writeNumberedWorld();
  startGame();
  appState->frameStep = 1;
  hold(DIK_RETURN);
  hold(DIK_UP);
  frames(5);
  hold(DIK_LEFT);
  frames(3);  // moving, so each frame turns 0.03 rad to the left
  dev().presentResults.push_back(platform::Result::DeviceLost);
  frame();  // a driving frame still, lost at its present
  ASSERT_GT(carHeading, 0.05f);
  const float steer = steerValue;
  dev().testResults.push_back(platform::Result::DeviceNotReset);
  frame();
  ASSERT_EQ(sceneSetUpRuns, 2);

  expectStartPose();
  EXPECT_EQ(carHeading, 0);
  EXPECT_EQ(steerValue, steer);  // the wheel's own position is kept
}

}  // namespace
