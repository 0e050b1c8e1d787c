// The waypoint recorder: each press of Space keeps the car body's ground
// position as one more point, stored at and then advancing
// leftLane.lastIndex.
#pragma once

#include <cstdint>

constexpr int32_t RECORD_CAPACITY = 140;
constexpr int32_t RECORD_COUNTDOWN_START = 4;

extern float recordedX[RECORD_CAPACITY];
extern float recordedZ[RECORD_CAPACITY];
// 4 while Space is up; a point is taken when a press brings it to 3.
extern int32_t recordCountdown;

// Once the fill index is outside 0..139 further presses record nothing.
void updateRecorder();
void resetRecorderState();
