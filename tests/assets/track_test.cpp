// The lanes and the track together, probed the way the game probes them: a
// vertical half-line upward from a point, in the track's model space (the
// track is drawn at height 0.5 with y scale 1.2).
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "circuit.hpp"
#include "generated_folder.hpp"
#include "render/bvh.hpp"
#include "track.hpp"

namespace {

struct Probe {
  std::vector<Vec3> positions;
  std::vector<uint32_t> indices;
  TriangleBvh bvh;

  Probe() {
    XMesh m = readModel("try");
    for (const auto& v : m.vertices) positions.push_back(v.position);
    indices = m.indices;
    bvh.build(positions, indices);
  }
  static Vec3 model(double x, double worldY, double z) {
    return {float(x), float((worldY - 0.5) / 1.2), float(z)};
  }
  // The game's own pick: every triangle, either face.
  bool hits(double x, double worldY, double z) const {
    return rayHitsAnyTriangle(positions, indices, model(x, worldY, z), {0, 1, 0});
  }
  bool low(double x, double z) const { return hits(x, -1, z); }
  bool high(double x, double z) const { return hits(x, 2, z); }
};

const Probe& probe() {
  static const Probe p;
  return p;
}

struct Pt {
  double x, z;
};

std::vector<Pt> lane(const char* file) {
  std::vector<double> n = readNumbers(generatedFolder() + "/" + file);
  std::vector<Pt> out;
  for (size_t i = 1; i + 1 < n.size(); i += 2) out.push_back({n[i], n[i + 1]});
  return out;
}

}  // namespace

TEST(Track, AroundEveryWaypointThereIsRoadAndNothingOverhead) {
  for (const char* file : {"L.wp", "R.wp"}) {
    std::vector<Pt> pts = lane(file);
    ASSERT_GT(pts.size(), 80u) << file;
    for (size_t i = 0; i < pts.size(); ++i) {
      size_t j = i + 1 < pts.size() ? i + 1 : 1;  // the last point is point 0 again
      double dx = pts[j].x - pts[i].x, dz = pts[j].z - pts[i].z, len = std::hypot(dx, dz);
      ASSERT_GT(len, 1.0) << file << " point " << i;
      double fx = dx / len, fz = dz / len, lx = -fz, lz = fx;
      for (double along : {-12.0, 0.0, 12.0}) {
        for (double across : {-4.0, 0.0, 4.0}) {
          if (along != 0 && across != 0) continue;
          double x = pts[i].x + fx * along + lx * across, z = pts[i].z + fz * along + lz * across;
          EXPECT_TRUE(probe().low(x, z))
              << file << " point " << i << " (" << along << ", " << across << ")";
          EXPECT_FALSE(probe().high(x, z))
              << file << " point " << i << " (" << along << ", " << across << ")";
        }
      }
    }
  }
}

TEST(Track, TrafficDrivingStraightBetweenWaypointsStaysOnClearRoad) {
  // A traffic car is about 7.5 wide; sample its sides along every chord.
  for (const char* file : {"L.wp", "R.wp"}) {
    std::vector<Pt> pts = lane(file);
    for (size_t i = 0; i + 1 < pts.size(); ++i) {
      double dx = pts[i + 1].x - pts[i].x, dz = pts[i + 1].z - pts[i].z, len = std::hypot(dx, dz);
      double lx = -dz / len, lz = dx / len;
      for (double t = 0; t < len; t += 3) {
        for (double side : {-3.75, 3.75}) {
          double x = pts[i].x + dx * t / len + lx * side, z = pts[i].z + dz * t / len + lz * side;
          ASSERT_TRUE(probe().low(x, z)) << file << " chord " << i;
          ASSERT_FALSE(probe().high(x, z)) << file << " chord " << i;
        }
      }
    }
  }
}

TEST(Track, StartPoseHasGroundUnderneathAndNothingAhead) {
  std::vector<Pt> left = lane("L.wp");
  ASSERT_GT(left.size(), 84u);
  // Heading 0: forward +z, right +x. The body is 4.1 ahead of and 0.8 right
  // of the eye, which stands on left-lane point 84.
  double bx = left[84].x + 0.8, bz = left[84].z + 4.1;
  for (double along : {-7.5, 7.5}) {
    for (double side : {-4.0, 4.0}) {
      EXPECT_TRUE(probe().low(bx - side, bz + along)) << along << ", " << side;
      EXPECT_FALSE(probe().high(bx - side, bz + along)) << along << ", " << side;
    }
  }
  EXPECT_FALSE(probe().high(bx, bz + 12));
  EXPECT_FALSE(probe().high(bx, bz - 12));
}

TEST(Track, EveryObstacleAndTheWallAllRoundStopTheCar) {
  Track t = buildTrack();
  ASSERT_GT(t.obstacles.size(), 100u);
  int kinds[5] = {};
  for (const Obstacle& o : t.obstacles) {
    EXPECT_TRUE(probe().high(o.at.x, o.at.z)) << o.kind << " at " << o.at.x << ", " << o.at.z;
    const char* names[5] = {"barrier", "wall", "tree", "building", "fence"};
    for (int k = 0; k < 5; ++k) kinds[k] += o.kind == names[k];
  }
  for (int k = 0; k < 5; ++k) EXPECT_GT(kinds[k], 3) << "kind " << k;
  // A ring along the wall's middle line, sampled every 10 units.
  const WorldBounds& w = t.wall;
  for (double x = w.x0; x <= w.x1; x += 10) {
    EXPECT_TRUE(probe().high(x, w.z0)) << x;
    EXPECT_TRUE(probe().high(x, w.z1)) << x;
  }
  for (double z = w.z0; z <= w.z1; z += 10) {
    EXPECT_TRUE(probe().high(w.x0, z)) << z;
    EXPECT_TRUE(probe().high(w.x1, z)) << z;
  }
}

TEST(Track, NoWayOffTheGround) {
  // Everywhere the car can reach from the start without a high probe hitting
  // has ground under it. Grid points 2 apart cannot step over any obstacle,
  // all of which block a band at least 3.5 wide.
  std::vector<Pt> left = lane("L.wp");
  ASSERT_GT(left.size(), 84u);
  const double step = 2, x0 = -3000, z0 = -3000;
  const int n = 3000;
  std::vector<uint8_t> seen(size_t(n) * n, 0);
  auto cellX = [&](int i) { return x0 + i * step; };
  auto cellZ = [&](int j) { return z0 + j * step; };
  auto highAt = [&](int i, int j) {
    return probe().bvh.anyHit(Probe::model(cellX(i), 2, cellZ(j)), {0, 1, 0});
  };
  auto lowAt = [&](int i, int j) {
    return probe().bvh.anyHit(Probe::model(cellX(i), -1, cellZ(j)), {0, 1, 0});
  };
  int si = int(std::lround((left[84].x - x0) / step)),
      sj = int(std::lround((left[84].z - z0) / step));
  std::vector<std::pair<int, int>> todo = {{si, sj}};
  seen[size_t(sj) * n + si] = 1;
  size_t reached = 0;
  while (!todo.empty()) {
    auto [i, j] = todo.back();
    todo.pop_back();
    ++reached;
    ASSERT_TRUE(lowAt(i, j)) << "the car can reach " << cellX(i) << ", " << cellZ(j)
                             << " where there is no ground";
    ASSERT_TRUE(i > 0 && j > 0 && i < n - 1 && j < n - 1);
    const int di[4] = {1, -1, 0, 0}, dj[4] = {0, 0, 1, -1};
    for (int k = 0; k < 4; ++k) {
      int a = i + di[k], b = j + dj[k];
      uint8_t& s = seen[size_t(b) * n + a];
      if (s) continue;
      s = 1;
      if (!highAt(a, b)) todo.push_back({a, b});
    }
  }
  // The whole circuit is reachable, not a pocket round the start.
  EXPECT_GT(reached * step * step, theCircuit().length * 2 * RIBBON_HALF_WIDTH);
}
