// The player's car: it is the camera. Driving moves the camera's eye and
// target over the ground and turns the target about the eye; the body, the
// steering wheel and the speed needle are posed around the camera.
#pragma once

#include <cstdint>

// Signed speed in eye-to-target vectors per frame; positive is forward.
extern float carSpeed;
// -1 while reversing, +1 while going forward; turns the steering round.
extern float driveSign;
// Yaw of the car in radians, advanced by yawStep at the end of driveStep.
extern float carHeading;
// This frame's heading change; not cleared every frame.
extern float yawStep;
// Steering-wheel position, nominally -1 (full right) to +1 (full left).
extern float steerValue;
// 1 once a steering turn or a probe response has turned the view; 0 again
// only by the return to centre.
extern int32_t turningFlag;

// The body's attitude from the low probes.
extern float bodyLift;        // 0.08 or 0; also lifts the wheel, needle and eye
extern float bodyPitchRear;   // 0.015 or 0
extern float bodyPitchFront;  // 0.015 or 0
extern float bodyRollLeft;    // 0.015 * headingCosSign or 0
extern float bodyRollRight;   // -0.015 * headingCosSign or 0
extern float headingCosSign;  // +1 while cos(carHeading) > 0, else -1

constexpr float LIFT_HEIGHT = 0.08f;
constexpr float TILT_ANGLE = 0.015f;

// Poses the car body (slot 2), the steering wheel (20) and the needle (24).
void placeCarModels();
// The body's yaw from the camera (its +z points from the target back to the
// eye); also stored as slot 2's yaw.
float yawFromCamera();
// Lift, pitch and roll from probeHit[3..6].
void updateBodyAttitude();
// Turns the camera target about the eye by `angle` radians, to the left for
// a positive angle.
void turnView(float angle);
// One driving update: dead zone, move, coasting, keys, probe responses,
// heading.
void driveStep();
void resetDrivingState();
