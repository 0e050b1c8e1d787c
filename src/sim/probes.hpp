// The ten collision probes around the car body: each is placed in its slot
// (3 to 12) and sends one vertical pick upward against the track.
#pragma once

#include <cstdint>

constexpr int32_t PROBE_FIRST = 3;
constexpr int32_t PROBE_LAST = 12;
constexpr int32_t LOW_PROBE_LAST = 6;  // 3 to 6 sit below the car, 7 to 12 above the road
constexpr float LOW_PROBE_HEIGHT = -1.0f;
constexpr float HIGH_PROBE_HEIGHT = 2.0f;

// probeHit[k], k = 3..12: 1 when track lies above probe k, else 0; entries
// 0 to 2 are unused.
extern int32_t probeHit[PROBE_LAST + 1];

// Places slots 3 to 12 around slot 2's position along carHeading, slid ahead
// by 10 * carSpeed.
void placeProbes();
// Non-zero when some triangle of the track crosses the upward half-line from
// (x, y, z), worked in the track's model space through the inverse of the
// device's current world transform. No device or no track mesh: no hit.
int32_t pickTrackAbove(float x, float z, float y);
// probeHit[k] from one pick per probe, in the order 3 to 12.
void testProbes();
void resetProbeState();
