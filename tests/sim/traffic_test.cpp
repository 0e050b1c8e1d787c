// Traffic cars: heading before the move, the fixed step, the reach distance,
// the fixed last waypoints and the wrap to 1.
#include <gtest/gtest.h>

#include <cmath>

#include "app/app_state.hpp"
#include "render/object_table.hpp"
#include "sim/lanes.hpp"
#include "sim/traffic.hpp"
#include "sim_fixture.hpp"

namespace {

constexpr float HALF_PI = 1.57079632679f;

class TrafficTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    // Every car parked far away on a point of its own, so that only the car
    // under test matters.
    for (int i = 0; i < RIGHT_LANE_CAPACITY; ++i) rightLane.x[i] = 1000;
    for (int i = 0; i < LEFT_LANE_CAPACITY; ++i) leftLane.x[i] = 1000;
    for (TrafficCar& car : trafficCars) car = {{1000, 0}, 5, 0};
    appState->frameStep = 1;  // step 1.8
  }
};

TEST_F(TrafficTest, CarOnItsTargetOnlyAdvancesAndTakesTheSegmentHeading) {
  // Right lane: point 69 at (-10, 0), point 70 at (0, 0): the heading looks
  // from 70 back to 69, atan2(-10 - 0, 0 - 0) = -pi/2.
  rightLane.x[69] = -10;
  rightLane.x[70] = 0;
  rightLane.x[71] = 0;
  rightLane.z[71] = 10;
  trafficCars[0] = {{0, 0}, 70, 0};
  updateTraffic();
  EXPECT_FLOAT_EQ(trafficCars[0].position.x, 0);
  EXPECT_FLOAT_EQ(trafficCars[0].position.z, 0);
  EXPECT_EQ(trafficCars[0].waypoint, 71);
  EXPECT_FLOAT_EQ(trafficCars[0].heading, -HALF_PI);
  EXPECT_FLOAT_EQ(ObjectTable.posX[50], 0);
  EXPECT_FLOAT_EQ(ObjectTable.posY[50], 3);
  EXPECT_FLOAT_EQ(ObjectTable.rotY[50], -HALF_PI);
  EXPECT_FLOAT_EQ(ObjectTable.rotX[50], 0);
  EXPECT_FLOAT_EQ(ObjectTable.rotZ[50], 0);

  // Next update: the heading jumps to the new segment, from 71 back to 70:
  // atan2(0 - 0, 0 - 10) = pi; the car moves 1.8 toward (0, 10).
  updateTraffic();
  EXPECT_FLOAT_EQ(trafficCars[0].heading, 2 * HALF_PI);
  EXPECT_FLOAT_EQ(trafficCars[0].position.z, 1.8f);
  EXPECT_EQ(trafficCars[0].waypoint, 71);
  EXPECT_FLOAT_EQ(ObjectTable.posZ[50], 1.8f);
}

TEST_F(TrafficTest, ReachIsStrictlyBelowThreePointFive) {
  // 3.5 away: moves 1.8, keeps its target.
  rightLane.x[9] = 0;
  rightLane.x[10] = 3.5f;
  rightLane.z[10] = 0;
  trafficCars[1] = {{0, 0}, 10, 0};
  updateTraffic();
  EXPECT_FLOAT_EQ(trafficCars[1].position.x, 1.8f);
  EXPECT_EQ(trafficCars[1].waypoint, 10);
  // Now 1.7 away: moves 1.8 past the target (0.1 beyond) and takes the next.
  updateTraffic();
  EXPECT_FLOAT_EQ(trafficCars[1].position.x, 3.6f);
  EXPECT_EQ(trafficCars[1].waypoint, 11);
}

TEST_F(TrafficTest, StepIsNotLimitedToTheRemainingDistance) {
  // 0.5 from the target with a step of 2: ends 1.5 beyond, distance 0.5.
  trafficCars[2] = {{0, 0}, 5, 0};
  EXPECT_FLOAT_EQ(moveTowardWaypoint(2, 0, 0.5f, 2), 0.5f);
  EXPECT_FLOAT_EQ(trafficCars[2].position.x, 0);
  EXPECT_FLOAT_EQ(trafficCars[2].position.z, 2);
  // A 3-4-5 triangle: distance 5, the step along (0.6, 0.8).
  trafficCars[2] = {{1, 1}, 5, 0};
  EXPECT_FLOAT_EQ(moveTowardWaypoint(2, 4, 5, 1), 5);
  EXPECT_FLOAT_EQ(trafficCars[2].position.x, 1.6f);
  EXPECT_FLOAT_EQ(trafficCars[2].position.z, 1.8f);
  // On the target: the direction is zero and the car stays.
  EXPECT_FLOAT_EQ(moveTowardWaypoint(2, 1.6f, 1.8f, 7), 0);
  EXPECT_FLOAT_EQ(trafficCars[2].position.x, 1.6f);
}

TEST_F(TrafficTest, LastWaypointsAreFixedAndWrapToOne) {
  // Right lane's target 120 reached -> 1 (never 121); left lane at 85 -> 1,
  // whatever the files' last indices say.
  rightLane.lastIndex = 200;
  leftLane.lastIndex = 10;
  rightLane.x[120] = 0;
  leftLane.x[85] = 0;
  trafficCars[4] = {{0, 0}, 120, 0};
  trafficCars[8] = {{0, 0}, 85, 0};
  updateTraffic();
  EXPECT_EQ(trafficCars[4].waypoint, 1);
  EXPECT_EQ(trafficCars[8].waypoint, 1);
  // From the last point the car heads for point 1 with the heading of the
  // segment 0 -> 1: point 0 at (0, -10), point 1 at (0, 0) gives
  // atan2(0, -10) = pi.
  rightLane.x[0] = 0;
  rightLane.z[0] = -10;
  rightLane.x[1] = 0;
  rightLane.z[1] = 0;
  updateTraffic();
  EXPECT_FLOAT_EQ(trafficCars[4].heading, 2 * HALF_PI);
  EXPECT_EQ(trafficCars[4].waypoint, 2);
}

TEST_F(TrafficTest, EveryCarMovesTheSameStepSetByFrameStepAlone) {
  // Each car 100 straight ahead in +z of its target's predecessor.
  for (int car = 0; car < TRAFFIC_CAR_COUNT; ++car) trafficCars[car] = {{1000, -100}, 5, 0};
  rightLane.z[5] = 0;
  leftLane.z[5] = 0;
  appState->frameStep = 0.25f;  // 25 ms: step 0.45
  updateTraffic();
  for (int car = 0; car < TRAFFIC_CAR_COUNT; ++car) {
    EXPECT_FLOAT_EQ(trafficCars[car].position.z, -99.55f) << car;
    EXPECT_FLOAT_EQ(ObjectTable.posZ[SLOT_TRAFFIC_FIRST + car], -99.55f) << car;
  }
}

TEST_F(TrafficTest, UnplacedCarStartsItsLaneAtOneInsteadOfReadingBeforeIt) {
  trafficCars[3] = {{1000, 0}, 0, 0};
  updateTraffic();
  EXPECT_EQ(trafficCars[3].waypoint, 2);  // target 1 taken, reached at once
}

}  // namespace
