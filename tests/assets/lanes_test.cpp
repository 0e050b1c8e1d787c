// The lane files' numbers: counts, closure, spacing, the two lanes side by
// side in the same direction, the straight at the start.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "generated_folder.hpp"

namespace {

struct Pt {
  double x, z;
};

struct Lane {
  int lastIndex = -1;
  std::vector<Pt> pts;
  size_t numbers = 0;
};

Lane readLane(const char* file) {
  std::vector<double> n = readNumbers(generatedFolder() + "/" + file);
  Lane l;
  l.numbers = n.size();
  if (n.empty()) return l;
  l.lastIndex = int(n[0]);
  for (size_t i = 1; i + 1 < n.size(); i += 2) l.pts.push_back({n[i], n[i + 1]});
  return l;
}

double dist(Pt a, Pt b) { return std::hypot(a.x - b.x, a.z - b.z); }

// Distance from p to the polyline, and whether p lies to its left (the left
// of a direction (fx, fz) is (-fz, fx) on the map).
double toPolyline(const std::vector<Pt>& line, Pt p, bool& onLeft) {
  double best = 1e30;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    double dx = line[i + 1].x - line[i].x, dz = line[i + 1].z - line[i].z;
    double t = ((p.x - line[i].x) * dx + (p.z - line[i].z) * dz) / (dx * dx + dz * dz);
    t = std::fmin(1, std::fmax(0, t));
    Pt q{line[i].x + dx * t, line[i].z + dz * t};
    double d = dist(p, q);
    if (d < best) {
      best = d;
      onLeft = (p.x - q.x) * -dz + (p.z - q.z) * dx > 0;
    }
  }
  return best;
}

double headingChange(const std::vector<Pt>& p, size_t i) {
  // At inner point i, between the chord into it and the chord out of it.
  size_t n = p.size() - 1;
  Pt a = p[(i + n - 1) % n], b = p[i % n], c = p[(i + 1) % n];
  double h1 = std::atan2(b.x - a.x, b.z - a.z), h2 = std::atan2(c.x - b.x, c.z - b.z);
  double d = std::fabs(h2 - h1);
  return std::fmin(d, 2 * M_PI - d);
}

}  // namespace

TEST(Lanes, CountsClosureAndSpacing) {
  struct Want {
    const char* file;
    int last;
  } wants[] = {{"L.wp", 85}, {"R.wp", 120}};
  for (const Want& w : wants) {
    Lane l = readLane(w.file);
    EXPECT_EQ(l.lastIndex, w.last) << w.file;
    EXPECT_EQ(l.numbers, size_t(1 + 2 * (w.last + 1))) << w.file;
    ASSERT_EQ(l.pts.size(), size_t(w.last + 1)) << w.file;
    EXPECT_LT(dist(l.pts.front(), l.pts.back()), 1e-3) << w.file << ": not a closed loop";
    double bendSum = 0, straightSum = 0;
    int bends = 0, straights = 0;
    for (size_t i = 0; i + 1 < l.pts.size(); ++i) {
      double d = dist(l.pts[i], l.pts[i + 1]);
      EXPECT_GE(d, 8.0) << w.file << " " << i;
      EXPECT_LE(d, 80.0) << w.file << " " << i;
      bool bend = headingChange(l.pts, i) > 0.5 * M_PI / 180 &&
                  headingChange(l.pts, i + 1) > 0.5 * M_PI / 180;
      (bend ? bendSum : straightSum) += d;
      (bend ? bends : straights) += 1;
    }
    ASSERT_GT(bends, 0);
    ASSERT_GT(straights, 0);
    EXPECT_LT(bendSum / bends, straightSum / straights) << w.file << ": points not closer in bends";
  }
}

TEST(Lanes, SideBySideInTheSameDirectionLeftOnTheLeft) {
  Lane left = readLane("L.wp"), right = readLane("R.wp");
  ASSERT_GT(left.pts.size(), 2u);
  ASSERT_GT(right.pts.size(), 2u);
  for (const Pt& p : left.pts) {
    bool onLeft = false;
    double d = toPolyline(right.pts, p, onLeft);
    EXPECT_GE(d, 10.0);
    EXPECT_LE(d, 14.0);
    EXPECT_TRUE(onLeft) << p.x << ", " << p.z;
  }
  for (const Pt& p : right.pts) {
    bool onLeft = true;
    double d = toPolyline(left.pts, p, onLeft);
    EXPECT_GE(d, 10.0);
    EXPECT_LE(d, 14.0);
    EXPECT_FALSE(onLeft) << p.x << ", " << p.z;
  }
  // Cars driving straight between points keep clear of the other lane: a car
  // is 7.5 wide, so the chords stay at least that far apart.
  for (size_t i = 0; i + 1 < left.pts.size(); ++i) {
    for (double t = 0; t <= 1; t += 0.1) {
      Pt p{left.pts[i].x + (left.pts[i + 1].x - left.pts[i].x) * t,
           left.pts[i].z + (left.pts[i + 1].z - left.pts[i].z) * t};
      bool onLeft = false;
      EXPECT_GE(toPolyline(right.pts, p, onLeft), 8.0) << "chord " << i;
    }
  }
  // Both loops turn the same way round: the sum of heading changes with sign.
  for (const Lane* l : {&left, &right}) {
    double turn = 0;
    size_t n = l->pts.size() - 1;
    for (size_t i = 0; i < n; ++i) {
      Pt a = l->pts[(i + n - 1) % n], b = l->pts[i], c = l->pts[(i + 1) % n];
      double cr = (b.x - a.x) * (c.z - b.z) - (b.z - a.z) * (c.x - b.x);
      double dt = (b.x - a.x) * (c.x - b.x) + (b.z - a.z) * (c.z - b.z);
      turn += std::atan2(cr, dt);
    }
    EXPECT_NEAR(std::fabs(turn), 2 * M_PI, 1e-6);
    EXPECT_GT(turn, 0);  // counter-clockwise on the map, for both
  }
}

TEST(Lanes, StartIsOnALongStraightAlongPlusZ) {
  Lane left = readLane("L.wp");
  ASSERT_EQ(left.pts.size(), 86u);
  const double limit = 3 * M_PI / 180;
  auto offZ = [&](size_t i) {
    Pt a = left.pts[i], b = left.pts[i + 1];
    return std::fabs(std::atan2(b.x - a.x, b.z - a.z));
  };
  EXPECT_LT(offZ(84), limit);
  // The straight through the start: chords on either side of 84 -> 85 (the
  // loop goes on from point 0) that keep within the same 3 degrees.
  double length = dist(left.pts[84], left.pts[85]);
  for (size_t i = 83; i > 0 && offZ(i) < limit; --i) length += dist(left.pts[i], left.pts[i + 1]);
  for (size_t i = 0; i < 84 && offZ(i) < limit; ++i) length += dist(left.pts[i], left.pts[i + 1]);
  EXPECT_GE(length, 300.0);
}
