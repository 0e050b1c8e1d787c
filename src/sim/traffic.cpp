#include "sim/traffic.hpp"

#include <cmath>

#include "app/app_state.hpp"
#include "render/math.hpp"
#include "render/object_table.hpp"
#include "sim/lanes.hpp"

static_assert(RIGHT_LANE_LAST_WAYPOINT < RIGHT_LANE_CAPACITY);
static_assert(LEFT_LANE_LAST_WAYPOINT < LEFT_LANE_CAPACITY);

TrafficCar trafficCars[TRAFFIC_CAR_COUNT]{};

namespace {

void driveCar(int32_t i, const float* x, const float* z, int32_t last) {
  TrafficCar& car = trafficCars[i];
  // A car the scene set-up never placed has no point before its target.
  if (car.waypoint < 1 || car.waypoint > last) car.waypoint = 1;
  const int32_t w = car.waypoint;
  const float dx = x[w - 1] - x[w];
  const float dz = z[w - 1] - z[w];
  car.heading = static_cast<float>(std::atan2(double{dx}, double{dz}));
  const float step = appState->frameStep * TRAFFIC_SPEED;
  const float distance = moveTowardWaypoint(i, x[w], z[w], step);
  if (distance < TRAFFIC_REACH) ++car.waypoint;
  if (car.waypoint > last) car.waypoint = 1;

  const SlotId slot = SLOT_TRAFFIC_FIRST + i;
  ObjectTable.posX[slot] = car.position.x;
  ObjectTable.posY[slot] = TRAFFIC_HEIGHT;
  ObjectTable.posZ[slot] = car.position.z;
  ObjectTable.rotX[slot] = 0;
  ObjectTable.rotY[slot] = car.heading;
  ObjectTable.rotZ[slot] = 0;
}

}  // namespace

float moveTowardWaypoint(int32_t car, float targetX, float targetZ, float step) {
  GroundPoint& p = trafficCars[car].position;
  const Vec2 d{targetX - p.x, targetZ - p.z};
  const float distance = std::sqrt(d.x * d.x + d.y * d.y);
  const Vec2 n = vec2Normalize(d);
  p.x += n.x * step;
  p.z += n.y * step;
  return distance;
}

void updateTraffic() {
  for (int32_t i = 0; i < TRAFFIC_CAR_COUNT; ++i) {
    if (i < RIGHT_LANE_CARS)
      driveCar(i, rightLane.x, rightLane.z, RIGHT_LANE_LAST_WAYPOINT);
    else
      driveCar(i, leftLane.x, leftLane.z, LEFT_LANE_LAST_WAYPOINT);
  }
}

void resetTrafficState() {
  for (TrafficCar& car : trafficCars) car = {};
}
