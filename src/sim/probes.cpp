#include "sim/probes.hpp"

#include <cmath>

#include "render/graphics_device.hpp"
#include "render/math.hpp"
#include "render/mesh.hpp"
#include "render/object_table.hpp"
#include "sim/driving.hpp"

int32_t probeHit[PROBE_LAST + 1]{};

void placeProbes() {
  const float sinH = static_cast<float>(std::sin(double{carHeading}));
  const float cosH = static_cast<float>(std::cos(double{carHeading}));
  const double slide = 10.0 * carSpeed;
  const float nearRear = static_cast<float>(slide - 7.5);
  const float nearFront = static_cast<float>(slide + 7.5);
  const float farFront = static_cast<float>(slide + 12.0);
  const float farRear = static_cast<float>(slide - 12.0);

  struct Layout {
    float along, side, height;
  };
  const Layout layout[PROBE_LAST - PROBE_FIRST + 1] = {
      {nearRear, 4, LOW_PROBE_HEIGHT},   {nearRear, -4, LOW_PROBE_HEIGHT},
      {nearFront, 4, LOW_PROBE_HEIGHT},  {nearFront, -4, LOW_PROBE_HEIGHT},
      {nearFront, 4, HIGH_PROBE_HEIGHT}, {nearFront, -4, HIGH_PROBE_HEIGHT},
      {farFront, 0, HIGH_PROBE_HEIGHT},  {farRear, 0, HIGH_PROBE_HEIGHT},
      {nearRear, 4, HIGH_PROBE_HEIGHT},  {nearRear, -4, HIGH_PROBE_HEIGHT},
  };
  const float bodyX = ObjectTable.posX[SLOT_PLAYER_CAR];
  const float bodyZ = ObjectTable.posZ[SLOT_PLAYER_CAR];
  for (int32_t k = PROBE_FIRST; k <= PROBE_LAST; ++k) {
    const Layout& p = layout[k - PROBE_FIRST];
    ObjectTable.posX[k] = bodyX - p.along * sinH - p.side * cosH;
    ObjectTable.posY[k] = p.height;
    ObjectTable.posZ[k] = bodyZ + p.along * cosH - p.side * sinH;
  }
}

int32_t pickTrackAbove(float x, float z, float y) {
  const Mesh* track = ObjectTable.mesh[SLOT_TRACK].get();
  if (!device || !track) return 0;
  Matrix world{};
  device->getTransform(platform::TransformState::World, world);
  const Vec3 p0 = vec3UnprojectWorld({x, y, z}, world);
  const Vec3 p1 = vec3UnprojectWorld({x, y + 1, z}, world);
  return intersectMesh(*track, p0, p1 - p0) ? 1 : 0;
}

void testProbes() {
  for (int32_t k = PROBE_FIRST; k <= PROBE_LAST; ++k)
    probeHit[k] =
        pickTrackAbove(ObjectTable.posX[k], ObjectTable.posZ[k], ObjectTable.posY[k]) != 0;
}

void resetProbeState() {
  for (int32_t& hit : probeHit) hit = 0;
}
