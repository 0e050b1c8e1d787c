// The waypoint recorder: one point per press, stored from the left lane's
// last index on, and never outside its 140 entries.
#include <gtest/gtest.h>

#include "app/keyboard_input.hpp"
#include "render/object_table.hpp"
#include "sim/game_state.hpp"
#include "sim/lanes.hpp"
#include "sim/recorder.hpp"
#include "sim_fixture.hpp"

namespace {

using platform::DIK_SPACE;

class RecorderTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    b().system.windowExists = true;
    leftLane.lastIndex = 85;
    for (int i = 0; i < RECORD_CAPACITY; ++i) recordedX[i] = recordedZ[i] = -1;
  }
  // One recorder step with the car body at (x, z) and Space up or down.
  static void step(bool space, float x = 0, float z = 0) {
    KeyState[DIK_SPACE] = space ? 0x80 : 0;
    ObjectTable.posX[SLOT_PLAYER_CAR] = x;
    ObjectTable.posZ[SLOT_PLAYER_CAR] = z;
    updateRecorder();
  }
};

TEST_F(RecorderTest, HoldingSpaceRecordsOnePointOnItsFirstFrame) {
  step(true, 1, 2);
  step(true, 3, 4);
  step(true, 5, 6);
  EXPECT_EQ(leftLane.lastIndex, 86);
  EXPECT_FLOAT_EQ(recordedX[85], 1);
  EXPECT_FLOAT_EQ(recordedZ[85], 2);
  EXPECT_FLOAT_EQ(recordedX[86], -1);
  EXPECT_EQ(recordCountdown, 1);
  step(false);
  EXPECT_EQ(recordCountdown, 4);
}

TEST_F(RecorderTest, SeparatePressesRecordInOrderAtConsecutiveIndices) {
  for (int press = 0; press < 3; ++press) {
    step(true, 10.0f * press, -10.0f * press);
    step(true, 999, 999);
    step(false);
  }
  EXPECT_EQ(leftLane.lastIndex, 88);
  for (int press = 0; press < 3; ++press) {
    EXPECT_FLOAT_EQ(recordedX[85 + press], 10.0f * press);
    EXPECT_FLOAT_EQ(recordedZ[85 + press], -10.0f * press);
  }
}

TEST_F(RecorderTest, InactiveWindowRecordsNothingAndReArms) {
  step(true, 1, 1);
  b().system.active = false;
  step(true, 2, 2);  // read as up: re-arms
  EXPECT_EQ(recordCountdown, 4);
  b().system.active = true;
  step(true, 3, 3);  // a new press
  EXPECT_EQ(leftLane.lastIndex, 87);
  EXPECT_FLOAT_EQ(recordedX[86], 3);
}

TEST_F(RecorderTest, FullListAndNegativeIndexRecordNothing) {
  leftLane.lastIndex = 139;
  step(true, 7, 8);
  step(false);
  EXPECT_EQ(leftLane.lastIndex, 140);
  EXPECT_FLOAT_EQ(recordedX[139], 7);
  step(true, 9, 9);
  step(false);
  EXPECT_EQ(leftLane.lastIndex, 140);
  EXPECT_FLOAT_EQ(recordedX[139], 7);

  leftLane.lastIndex = -1;  // from an L.wp whose first number is -1
  step(true, 9, 9);
  EXPECT_EQ(leftLane.lastIndex, -1);
  for (int i = 0; i < 139; ++i) EXPECT_FLOAT_EQ(recordedX[i], -1) << i;
}

class RecorderInGameTest : public SimTest {};

TEST_F(RecorderInGameTest, SpaceHeldFromTheTitleRecordsOnTheFirstDrivingFrame) {
  writeSmallModels();
  writeTrack();
  writeLane(
      "L.wp", 85, [](int i) { return i == 84 ? 40 : 0; }, [](int) { return 0; });
  writeLane(
      "R.wp", 120, [](int) { return 0; }, [](int) { return 0; });
  startGame();
  hold(DIK_SPACE);
  frames(3);  // title screen: the recorder does not run
  EXPECT_EQ(leftLane.lastIndex, 85);
  EXPECT_EQ(recordCountdown, 4);
  hold(platform::DIK_RETURN);
  frame();
  EXPECT_EQ(GameState, 1);
  EXPECT_EQ(leftLane.lastIndex, 86);
  // The body as placeCarModels put it in that frame: 0.8 right of and 6.9
  // behind the start target (40 - 0.10999817, 10.99945):
  //   (40 - 0.10999817 + 0.8, 10.99945 - 6.9) = (40.69000183, 4.09945).
  EXPECT_NEAR(recordedX[85], 40.69000183f, 1e-5);
  EXPECT_NEAR(recordedZ[85], 4.09945f, 1e-5);
}

}  // namespace
