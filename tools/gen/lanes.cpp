#include "lanes.hpp"

#include <cstdio>

#include "file_out.hpp"

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
  return writeFileBytes(path, text.data(), text.size());
}

bool writeLanes(const std::string& dir) {
  bool ok = writeLaneFile(dir + "/L.wp", leftLanePoints());
  ok &= writeLaneFile(dir + "/R.wp", rightLanePoints());
  return ok;
}
