// The two lanes of waypoints the traffic drives, read from L.wp and R.wp.
#pragma once

#include <cstdint>

constexpr int32_t LEFT_LANE_CAPACITY = 86;
constexpr int32_t RIGHT_LANE_CAPACITY = 122;

// An ordered list of ground-plane waypoints with fixed room for Capacity
// points. lastIndex is the file's first number, as written (held to the range
// of int32_t): the lane has lastIndex + 1 points when that fits its room.
template <int32_t Capacity>
struct Lane {
  static constexpr int32_t capacity = Capacity;
  int32_t lastIndex;
  float x[Capacity];
  float z[Capacity];
};

extern Lane<LEFT_LANE_CAPACITY> leftLane;    // from L.wp; traffic cars 5 to 8
extern Lane<RIGHT_LANE_CAPACITY> rightLane;  // from R.wp; traffic cars 0 to 4

// Reads a lane file into lastIndex, x and z: the last index first, then x and
// z of each point, any white space between numbers. Reading stops at the
// first token that is not a finite number (or at the end of the file); what
// was not read keeps its value. A file that cannot be opened, or that does
// not start with a whole number, changes nothing; a last index below 0 reads
// no points. Points beyond `capacity` are not read. Problems are reported on
// stderr, naming the file, in the same words on every platform. Returns the
// number of points read.
int32_t readLanePoints(const char* path, int32_t& lastIndex, float* x, float* z, int32_t capacity);

template <int32_t Capacity>
int32_t readLaneFile(const char* path, Lane<Capacity>& lane) {
  return readLanePoints(path, lane.lastIndex, lane.x, lane.z, Capacity);
}

void resetLaneState();
