#include "state_line.hpp"

#include <cinttypes>

#include "render/camera.hpp"
#include "sim/driving.hpp"
#include "sim/game_state.hpp"
#include "sim/probes.hpp"
#include "sim/traffic.hpp"

namespace {

// %.9g gives every float back exactly when read again.
void printFloat(std::FILE* out, float v) { std::fprintf(out, "\t%.9g", static_cast<double>(v)); }

}  // namespace

void printStateColumns(std::FILE* out) {
  std::fputs(
      "#frame\tgameState\tframeCounter\tcarSpeed\tdriveSign\tcarHeading\tsteerValue\tyawStep"
      "\tturningFlag\teyeX\teyeY\teyeZ\ttargetX\ttargetY\ttargetZ\tbodyLift\tbodyPitchRear"
      "\tbodyPitchFront\tbodyRollLeft\tbodyRollRight\thits",
      out);
  for (int car = 0; car < TRAFFIC_CAR_COUNT; ++car) std::fprintf(out, "\tcar%dx\tcar%dz", car, car);
  std::fputc('\n', out);
}

void printStateLine(std::FILE* out, uint64_t frame) {
  std::fprintf(out, "%" PRIu64 "\t%d\t%d", frame, GameState, frameCounter);
  printFloat(out, carSpeed);
  printFloat(out, driveSign);
  printFloat(out, carHeading);
  printFloat(out, steerValue);
  printFloat(out, yawStep);
  std::fprintf(out, "\t%d", turningFlag);
  for (float v :
       {Camera.eye.x, Camera.eye.y, Camera.eye.z, Camera.target.x, Camera.target.y, Camera.target.z,
        bodyLift, bodyPitchRear, bodyPitchFront, bodyRollLeft, bodyRollRight})
    printFloat(out, v);
  char hits[PROBE_LAST - PROBE_FIRST + 2] = {};
  for (int32_t k = PROBE_FIRST; k <= PROBE_LAST; ++k)
    hits[k - PROBE_FIRST] = probeHit[k] ? '1' : '0';
  std::fprintf(out, "\t%s", hits);
  for (const TrafficCar& car : trafficCars) {
    printFloat(out, car.position.x);
    printFloat(out, car.position.z);
  }
  std::fputc('\n', out);
}
