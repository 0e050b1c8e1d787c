#include "lanes.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

LanePoints leftLanePoints() { return buildLane(LANE_OFFSET, LEFT_LANE_SEGMENTS); }
LanePoints rightLanePoints() { return buildLane(-LANE_OFFSET, RIGHT_LANE_SEGMENTS); }

bool writeLaneFile(const std::string& path, const LanePoints& lane) {
  std::string text = std::to_string(lane.points.size() - 1) + "\n";
  char buf[64];
  for (const P2& p : lane.points) {
    // Positions to a thousandth; "-0.000" would read the same, but keep it tidy.
    for (double v : {p.x, p.z}) {
      std::snprintf(buf, sizeof buf, "%.3f\n", std::fabs(v) < 0.0005 ? 0.0 : v);
      text += buf;
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "gen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::fprintf(stderr, "gen: writing %s failed\n", path.c_str());
  return ok;
}

bool writeLanes(const std::string& dir) {
  bool ok = writeLaneFile(dir + "/L.wp", leftLanePoints());
  ok &= writeLaneFile(dir + "/R.wp", rightLanePoints());
  return ok;
}
