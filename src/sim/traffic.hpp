// The nine computer-driven cars: each drives straight at its lane's next
// waypoint at a fixed speed, and its slot's pose follows it.
#pragma once

#include <cstdint>

constexpr int32_t TRAFFIC_CAR_COUNT = 9;
constexpr int32_t RIGHT_LANE_CARS = 5;  // cars 0 to 4; 5 to 8 drive the left lane
constexpr int32_t RIGHT_LANE_LAST_WAYPOINT = 120;
constexpr int32_t LEFT_LANE_LAST_WAYPOINT = 85;
constexpr double TRAFFIC_SPEED = 1.8;  // world units per unit of frameStep
constexpr float TRAFFIC_REACH = 3.5f;
constexpr float TRAFFIC_HEIGHT = 3.0f;

struct GroundPoint {
  float x;
  float z;
};

struct TrafficCar {
  GroundPoint position;
  int32_t waypoint;  // index in the car's lane of the point it drives toward
  float heading;     // yaw, from the target back to the point before it
};

extern TrafficCar trafficCars[TRAFFIC_CAR_COUNT];

// Moves every car one step and writes its pose into slot 50 + i.
void updateTraffic();
// Moves car `car` by `step` toward (targetX, targetZ); returns its distance to
// the target before the move.
float moveTowardWaypoint(int32_t car, float targetX, float targetZ, float step);
void resetTrafficState();
