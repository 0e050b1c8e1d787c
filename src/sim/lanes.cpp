#include "sim/lanes.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_read.hpp"

Lane<LEFT_LANE_CAPACITY> leftLane{};
Lane<RIGHT_LANE_CAPACITY> rightLane{};

namespace {

// Far beyond any lane's room and any int32_t; longer numbers stop growing here.
constexpr int64_t INDEX_CEILING = 1'000'000'000'000;
// Digits of a long index that a message repeats.
constexpr size_t SHOWN_DIGITS = 20;

struct LastIndex {
  bool found = false;   // a sign (or none) and at least one digit
  int64_t value = 0;    // within +-INDEX_CEILING
  std::string written;  // as in the file, a long run of digits cut short
};

bool isBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The first number, taken as "%d" takes it (an optional sign and decimal
// digits) but read here: "%d" leaves a number beyond int undefined, and the C
// libraries differ on it (glibc wraps 2147483648 to a negative count,
// mingw-w64's stops at INT_MAX), so one file would make different lanes.
LastIndex readLastIndex(std::FILE* file) {
  LastIndex index;
  int c = std::getc(file);
  while (isBlank(c)) c = std::getc(file);
  const bool negative = c == '-';
  if (c == '+' || c == '-') {
    index.written += static_cast<char>(c);
    c = std::getc(file);
  }
  size_t digits = 0;
  for (; c >= '0' && c <= '9'; c = std::getc(file), ++digits) {
    if (digits < SHOWN_DIGITS) index.written += static_cast<char>(c);
    if (index.value < INDEX_CEILING) index.value = index.value * 10 + (c - '0');
  }
  if (c != EOF) std::ungetc(c, file);
  if (digits > SHOWN_DIGITS) index.written += "... (" + std::to_string(digits) + " digits)";
  index.found = digits > 0;
  if (negative) index.value = -index.value;
  return index;
}

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
  const LastIndex index = readLastIndex(file);
  if (!index.found) {
    std::fprintf(stderr,
                 "%s: the file does not start with the index of its last point; nothing read, "
                 "the lane keeps its points\n",
                 path);
    std::fclose(file);
    return 0;
  }
  lastIndex = static_cast<int32_t>(std::clamp<int64_t>(index.value, INT32_MIN, INT32_MAX));
  int64_t wanted = index.value + 1;
  if (index.value < 0) {
    std::fprintf(stderr,
                 "%s: the index of the last point is %s, below 0; no points read, the lane keeps "
                 "its points\n",
                 path, index.written.c_str());
    wanted = 0;
  } else if (index.value >= capacity) {
    std::fprintf(stderr,
                 "%s: the index of the last point is %s, beyond the lane's room of %d points (0 "
                 "to %d); reading %d\n",
                 path, index.written.c_str(), capacity, capacity - 1, capacity);
    wanted = capacity;
  }
  int32_t count = 0;
  for (; count < wanted; ++count) {
    if (!readCoordinate(file, x[count])) break;
    if (!readCoordinate(file, z[count])) break;
  }
  if (count < wanted) {
    std::fprintf(stderr,
                 "%s: point %d is missing or not a number; read %d of %lld points, the rest "
                 "keep their values\n",
                 path, count, count, static_cast<long long>(wanted));
  }
  std::fclose(file);
  return count;
}

void resetLaneState() {
  leftLane = {};
  rightLane = {};
}
