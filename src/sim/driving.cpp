#include "sim/driving.hpp"

#include <cmath>

#include "app/app_state.hpp"
#include "app/keyboard_input.hpp"
#include "render/camera.hpp"
#include "render/math.hpp"
#include "render/object_table.hpp"
#include "sim/probes.hpp"

float carSpeed = 0;
float driveSign = 1;
float carHeading = 0;
float yawStep = 0;
float steerValue = 0;
int32_t turningFlag = 0;
float bodyLift = 0;
float bodyPitchRear = 0;
float bodyPitchFront = 0;
float bodyRollLeft = 0;
float bodyRollRight = 0;
float headingCosSign = 0;

namespace {

constexpr double HALF_PI_SINGLE = 1.5707963705062866;  // pi/2 rounded to single precision
constexpr double NEEDLE_REST = 2.617993950843811;      // 5/6 of single-precision pi

void turnBy(float angle) {
  turningFlag = 1;
  turnView(angle);
  yawStep = angle;
}

// Front-left and front-right hits: bounce a forward car back and turn left.
void frontSideResponse(float fs) {
  if (carSpeed > 0) carSpeed = -carSpeed / 3;
  turnBy(static_cast<float>(0.06 * fs));
}

// Rear-left and rear-right hits: stop a reversing car and turn it away.
void rearSideResponse(float angle) {
  if (carSpeed < 0) carSpeed = 0;
  turnBy(angle);
}

}  // namespace

void turnView(float angle) {
  const float sinA = singleSin(angle);
  const float cosA = singleCos(angle);
  const float dx = Camera.target.x - Camera.eye.x;
  const float dz = Camera.target.z - Camera.eye.z;
  Camera.target.z = Camera.eye.z + sinA * dx + cosA * dz;
  Camera.target.x = Camera.eye.x + cosA * dx - sinA * dz;
}

float yawFromCamera() {
  const float dx = Camera.target.x - Camera.eye.x;
  const float dz = Camera.target.z - Camera.eye.z;
  // With dx exactly 0 the quotient is infinite and r is +-pi/2. Taken as
  // +0, dx would turn the body the wrong way round; as -0 it gives the same
  // yaw as the limit from either side.
  const float quotient = dz / (dx == 0 ? -0.0f : dx);
  const double r = std::atan(double{quotient});
  const float yaw = static_cast<float>(dx > 0 ? -r - HALF_PI_SINGLE : HALF_PI_SINGLE - r);
  ObjectTable.rotY[SLOT_PLAYER_CAR] = yaw;
  return yaw;
}

void placeCarModels() {
  const float sinH = singleSin(carHeading);
  const float cosH = singleCos(carHeading);
  const float tx = Camera.target.x;
  const float tz = Camera.target.z;
  const float pitch = bodyPitchRear + bodyPitchFront;

  ObjectTable.posX[SLOT_PLAYER_CAR] = static_cast<float>(tx + 6.9 * sinH + 0.8 * cosH);
  ObjectTable.posY[SLOT_PLAYER_CAR] = static_cast<float>(bodyLift + 2.8);
  ObjectTable.posZ[SLOT_PLAYER_CAR] = static_cast<float>(tz - 6.9 * cosH + 0.8 * sinH);
  ObjectTable.rotX[SLOT_PLAYER_CAR] = pitch;
  ObjectTable.rotY[SLOT_PLAYER_CAR] = yawFromCamera();
  ObjectTable.rotZ[SLOT_PLAYER_CAR] = bodyRollLeft + bodyRollRight;

  ObjectTable.posX[SLOT_STEERING_WHEEL] = static_cast<float>(tx + 6.0 * sinH - 0.6 * cosH);
  ObjectTable.posY[SLOT_STEERING_WHEEL] = static_cast<float>(bodyLift + 4.2);
  ObjectTable.posZ[SLOT_STEERING_WHEEL] = static_cast<float>(tz - 6.0 * cosH - 0.6 * sinH);
  ObjectTable.rotX[SLOT_STEERING_WHEEL] = 0;
  ObjectTable.rotY[SLOT_STEERING_WHEEL] = -carHeading;
  ObjectTable.rotZ[SLOT_STEERING_WHEEL] = steerValue;

  ObjectTable.posX[SLOT_GAUGE_NEEDLE] = static_cast<float>(tx + 5.5 * sinH - 0.49 * cosH);
  ObjectTable.posY[SLOT_GAUGE_NEEDLE] =
      static_cast<float>(bodyLift + (bodyPitchRear + bodyPitchFront + 4.8));
  ObjectTable.posZ[SLOT_GAUGE_NEEDLE] = static_cast<float>(tz - 5.5 * cosH - 0.49 * sinH);
  ObjectTable.rotX[SLOT_GAUGE_NEEDLE] = 0;
  ObjectTable.rotY[SLOT_GAUGE_NEEDLE] = -carHeading;
  ObjectTable.rotZ[SLOT_GAUGE_NEEDLE] = static_cast<float>(NEEDLE_REST - 5.0 * std::fabs(carSpeed));
}

void updateBodyAttitude() {
  const int32_t* hit = probeHit;
  bodyPitchFront = hit[5] + hit[6] > 0 ? TILT_ANGLE : 0.0f;
  bodyPitchRear = hit[3] + hit[4] > 0 ? TILT_ANGLE : 0.0f;
  headingCosSign = std::cos(double{carHeading}) > 0 ? 1.0f : -1.0f;
  bodyRollRight = hit[4] + hit[6] > 0 ? -TILT_ANGLE * headingCosSign : 0.0f;
  bodyRollLeft = hit[3] + hit[5] > 0 ? TILT_ANGLE * headingCosSign : 0.0f;
  bodyLift = hit[3] + hit[4] + hit[5] + hit[6] > 0 ? LIFT_HEIGHT : 0.0f;
}

void driveStep() {
  using namespace platform;
  const float fs = appState->frameStep;
  const int32_t* hit = probeHit;
  const bool frontBlocked = hit[7] || hit[8] || hit[9];
  const bool rearBlocked = hit[10] || hit[11] || hit[12];

  // Dead zone: both bounds strict, in single precision, so that exactly
  // +-0.01 is kept.
  if (!isKeyDown(DIK_DOWN) && !isKeyDown(DIK_UP) && carSpeed > -0.01f && carSpeed < 0.01f) {
    carSpeed = 0;
    yawStep = 0;
  }

  // Move: once per frame, not scaled by the frame time.
  const float dx = Camera.target.x - Camera.eye.x;
  const float dz = Camera.target.z - Camera.eye.z;
  Camera.eye.x += carSpeed * dx;
  Camera.target.x += carSpeed * dx;
  Camera.eye.z += carSpeed * dz;
  Camera.target.z += carSpeed * dz;

  // Coasting; the second test reads the speed the first one may have changed.
  if (carSpeed < 0) {
    driveSign = -1;
    if (!isKeyDown(DIK_DOWN)) carSpeed += 0.003 * fs;
  }
  if (carSpeed > 0) {
    driveSign = 1;
    if (!isKeyDown(DIK_UP)) carSpeed -= 0.004 * fs;
  }

  // Throttle and steering, unless a front probe blocks them; a rear probe
  // blocks the steering (and the brake below).
  if (!frontBlocked) {
    if (isKeyDown(DIK_UP) && carSpeed < 0.3) carSpeed += 0.002 * fs;
    if (!rearBlocked) {
      if (isKeyDown(DIK_LEFT) && !isKeyDown(DIK_RIGHT)) {
        if (steerValue < 1) steerValue += 0.1 * fs;
        if (carSpeed != 0) turnBy(static_cast<float>(driveSign * fs * 0.03));
      }
      if (isKeyDown(DIK_RIGHT) && !isKeyDown(DIK_LEFT)) {
        if (steerValue > -1) steerValue -= 0.1 * fs;
        if (carSpeed != 0) turnBy(static_cast<float>(-driveSign * fs * 0.03));
      }
    }
  }

  // Brake, then reverse without limit.
  if (!rearBlocked && isKeyDown(DIK_DOWN)) carSpeed -= 0.007 * fs;

  if (!isKeyDown(DIK_LEFT) && !isKeyDown(DIK_RIGHT) && !hit[7] && !hit[8] && !hit[9] && !hit[10]) {
    // Return to centre; the second test sees the first one's result.
    turningFlag = 0;
    if (steerValue > 0) steerValue -= 0.2 * fs;
    if (steerValue < 0) steerValue += 0.2 * fs;
    yawStep = 0;
  } else {
    // 7 and 8 both turn left, not mirror images. After either of them the
    // turning flag is 1 and the centre probes are clear, so the rest of
    // this branch changes nothing then.
    const bool centreClear = hit[9] == 0 && hit[10] == 0;
    if (hit[7] == 1 && centreClear) frontSideResponse(fs);
    if (hit[8] == 1 && centreClear) frontSideResponse(fs);
    if (turningFlag == 0) yawStep = 0;
    if (hit[9] == 1) {
      turningFlag = 1;
      yawStep = 0;
      if (carSpeed > 0) carSpeed = -carSpeed / 3;
    }
    if (hit[10] == 1) {
      turningFlag = 1;
      yawStep = 0;
      if (carSpeed < 0) carSpeed = -carSpeed / 3;
    }
  }

  if (hit[11] == 1 && hit[10] == 0) rearSideResponse(static_cast<float>(driveSign * fs * 0.06));
  if (hit[12] == 1 && hit[10] == 0) rearSideResponse(static_cast<float>(-driveSign * fs * 0.06));

  carHeading += yawStep;
}

void resetDrivingState() {
  carSpeed = 0;
  driveSign = 1;
  carHeading = 0;
  yawStep = 0;
  steerValue = 0;
  turningFlag = 0;
  bodyLift = 0;
  bodyPitchRear = 0;
  bodyPitchFront = 0;
  bodyRollLeft = 0;
  bodyRollRight = 0;
  headingCosSign = 0;
}
