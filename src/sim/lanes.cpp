#include "sim/lanes.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_read.hpp"

Lane<LEFT_LANE_CAPACITY> leftLane{};
Lane<RIGHT_LANE_CAPACITY> rightLane{};

namespace {

// One coordinate with "%f" semantics. Infinities and NaNs are refused: a lane
// point there would send a car or the camera off to nowhere.
bool readCoordinate(std::FILE* file, float& out) {
  float value;
  if (std::fscanf(file, "%f\n", &value) != 1 || !std::isfinite(value)) return false;
  out = value;
  return true;
}

}  // namespace

int32_t readLanePoints(const char* path, int32_t& lastIndex, float* x, float* z, int32_t capacity) {
  // A folder opens for reading here and would be called a file without a count.
  const std::string folder = folderProblem(path);
  if (!folder.empty()) {
    std::fprintf(stderr, "%s; the lane keeps its points\n", folder.c_str());
    return 0;
  }
  std::FILE* file = std::fopen(path, "r");
  if (!file) {
    std::fprintf(stderr, "%s: cannot open lane file (%s); the lane keeps its points\n", path,
                 std::strerror(errno));
    return 0;
  }
  int32_t count = 0;
  int32_t last;
  if (std::fscanf(file, "%d\n", &last) != 1) {
    std::fprintf(stderr, "%s: no point count at the start of the file; nothing read\n", path);
    std::fclose(file);
    return 0;
  }
  lastIndex = last;
  // last + 1 points announced, formed in 64 bits so that INT32_MAX cannot wrap.
  const int64_t announced = last < 0 ? 0 : int64_t{last} + 1;
  int64_t wanted = announced;
  if (announced > capacity) {
    std::fprintf(stderr, "%s: %lld points announced but the lane has room for %d; reading %d\n",
                 path, static_cast<long long>(announced), capacity, capacity);
    wanted = capacity;
  }
  for (; count < wanted; ++count) {
    if (!readCoordinate(file, x[count])) break;
    if (!readCoordinate(file, z[count])) break;
  }
  if (count < wanted) {
    std::fprintf(stderr,
                 "%s: point %d is missing or not a number; read %d of %lld points, the rest "
                 "keep their values\n",
                 path, count, count, static_cast<long long>(announced));
  }
  std::fclose(file);
  return count;
}

void resetLaneState() {
  leftLane = {};
  rightLane = {};
}
