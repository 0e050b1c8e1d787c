// The track pick: a bounding-volume hierarchy over a mesh's triangles that
// answers "does this half-line cross any triangle" exactly as a pass over
// every triangle would, only faster.
//
// Exactness: the leaves run the very test that the pass over every triangle
// runs, on the same corners, so a box may only ever let too much through.
// Boxes are therefore padded outward, by enough to cover the rounding of the
// box test and of the hit point that the triangle test checks against the
// triangle's own padded box.
#include "render/bvh.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr uint32_t LEAF_SIZE = 4;
constexpr uint32_t MAX_STACK = 64;  // the median split keeps the depth near log2 of the count
constexpr double INF = std::numeric_limits<double>::infinity();
// A hit point may stray this far (relative to the coordinates involved)
// outside its triangle's box and still count: rounding, never geometry.
constexpr double TRIANGLE_SLACK = 1e-6;
// Extra room for the box test's own rounding, relative to the ray origin.
constexpr double RAY_SLACK = 1e-9;

struct Box {
  double lo[3], hi[3];
};

double component(const Vec3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

bool finite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The triangle's box widened by the slack the triangle test allows.
Box paddedBox(const Vec3& a, const Vec3& b, const Vec3& c) {
  Box box;
  for (int k = 0; k < 3; ++k) {
    const double x = component(a, k), y = component(b, k), z = component(c, k);
    box.lo[k] = std::min({x, y, z});
    box.hi[k] = std::max({x, y, z});
  }
  double scale = 0.0;
  for (int k = 0; k < 3; ++k) scale = std::max({scale, std::fabs(box.lo[k]), std::fabs(box.hi[k])});
  const double pad = TRIANGLE_SLACK * scale + std::numeric_limits<double>::min();
  for (int k = 0; k < 3; ++k) {
    box.lo[k] -= pad;
    box.hi[k] += pad;
  }
  return box;
}

// Float bounds that contain the double ones.
float down(double v) {
  float f = static_cast<float>(v);
  if (f > v) f = std::nextafter(f, -std::numeric_limits<float>::infinity());
  return f;
}
float up(double v) {
  float f = static_cast<float>(v);
  if (f < v) f = std::nextafter(f, std::numeric_limits<float>::infinity());
  return f;
}

}  // namespace

// Möller-Trumbore in double precision (exact products of the float inputs),
// both faces. A hit also has to land in the triangle's padded box: that cuts
// the rounding noise of rays almost parallel to the plane, and is what lets
// the hierarchy reject boxes safely.
bool rayHitsTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b,
                     const Vec3& c) {
  const double d[3] = {direction.x, direction.y, direction.z};
  const double e1[3] = {double{b.x} - a.x, double{b.y} - a.y, double{b.z} - a.z};
  const double e2[3] = {double{c.x} - a.x, double{c.y} - a.y, double{c.z} - a.z};
  const double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                       d[0] * e2[1] - d[1] * e2[0]};
  double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
  if (!(det != 0.0)) return false;  // parallel, degenerate or not a number
  // Barycentrics and distance are compared scaled by det, which is made
  // positive: no division until a hit is certain.
  const double sign = det < 0.0 ? -1.0 : 1.0;
  det *= sign;
  const double s[3] = {double{origin.x} - a.x, double{origin.y} - a.y, double{origin.z} - a.z};
  const double u = (s[0] * p[0] + s[1] * p[1] + s[2] * p[2]) * sign;
  if (!(u >= 0.0 && u <= det)) return false;
  const double q[3] = {s[1] * e1[2] - s[2] * e1[1], s[2] * e1[0] - s[0] * e1[2],
                       s[0] * e1[1] - s[1] * e1[0]};
  const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) * sign;
  if (!(v >= 0.0 && u + v <= det)) return false;
  const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) * sign / det;
  if (!(t >= 0.0)) return false;
  const Box box = paddedBox(a, b, c);
  const double o[3] = {origin.x, origin.y, origin.z};
  for (int k = 0; k < 3; ++k) {
    const double hit = o[k] + t * d[k];
    if (!(hit >= box.lo[k] && hit <= box.hi[k])) return false;
  }
  return true;
}

bool rayHitsAnyTriangle(const std::vector<Vec3>& positions, const std::vector<uint32_t>& indices,
                        const Vec3& origin, const Vec3& direction) {
  for (size_t i = 0; i + 2 < indices.size(); i += 3) {
    const uint32_t ia = indices[i], ib = indices[i + 1], ic = indices[i + 2];
    if (ia >= positions.size() || ib >= positions.size() || ic >= positions.size()) continue;
    if (rayHitsTriangle(origin, direction, positions[ia], positions[ib], positions[ic]))
      return true;
  }
  return false;
}

void TriangleBvh::build(const std::vector<Vec3>& positions, const std::vector<uint32_t>& indices) {
  nodes_.clear();
  tri_.clear();
  scale_ = 0.0;

  struct Item {
    Box box;
    float centre[3];
    uint32_t first;  // index into `indices` of the triangle's first corner
  };
  std::vector<Item> items;
  items.reserve(indices.size() / 3);
  for (size_t i = 0; i + 2 < indices.size(); i += 3) {
    const uint32_t ia = indices[i], ib = indices[i + 1], ic = indices[i + 2];
    if (ia >= positions.size() || ib >= positions.size() || ic >= positions.size()) continue;
    const Vec3 &a = positions[ia], &b = positions[ib], &c = positions[ic];
    Item item;
    item.first = static_cast<uint32_t>(i);
    if (finite(a) && finite(b) && finite(c)) {
      item.box = paddedBox(a, b, c);
      for (int k = 0; k < 3; ++k) {
        item.centre[k] = static_cast<float>((item.box.lo[k] + item.box.hi[k]) * 0.5);
        scale_ = std::max({scale_, std::fabs(item.box.lo[k]), std::fabs(item.box.hi[k])});
      }
    } else {
      // Whatever the triangle test makes of it, its box never hides it.
      for (int k = 0; k < 3; ++k) {
        item.box.lo[k] = -INF;
        item.box.hi[k] = INF;
        item.centre[k] = 0.0f;
      }
    }
    items.push_back(item);
  }
  if (items.empty()) return;

  auto boxOf = [&](uint32_t begin, uint32_t end) {
    Box box{{INF, INF, INF}, {-INF, -INF, -INF}};
    for (uint32_t i = begin; i < end; ++i)
      for (int k = 0; k < 3; ++k) {
        box.lo[k] = std::min(box.lo[k], items[i].box.lo[k]);
        box.hi[k] = std::max(box.hi[k], items[i].box.hi[k]);
      }
    return box;
  };
  auto setBox = [&](Node& node, const Box& box) {
    node.lo = {down(box.lo[0]), down(box.lo[1]), down(box.lo[2])};
    node.hi = {up(box.hi[0]), up(box.hi[1]), up(box.hi[2])};
  };

  // Median splits along the widest spread of triangle centres; each inner
  // node's two children sit side by side.
  struct Task {
    uint32_t node, begin, end;
  };
  std::vector<Task> tasks{{0, 0, static_cast<uint32_t>(items.size())}};
  nodes_.reserve(2 * items.size() / LEAF_SIZE + 1);
  nodes_.push_back({});
  while (!tasks.empty()) {
    const Task task = tasks.back();
    tasks.pop_back();
    setBox(nodes_[task.node], boxOf(task.begin, task.end));
    const uint32_t n = task.end - task.begin;
    if (n <= LEAF_SIZE) {
      nodes_[task.node].first = static_cast<uint32_t>(tri_.size() / 3);
      nodes_[task.node].count = n;
      for (uint32_t i = task.begin; i < task.end; ++i) {
        const uint32_t f = items[i].first;
        tri_.push_back(positions[indices[f]]);
        tri_.push_back(positions[indices[f + 1]]);
        tri_.push_back(positions[indices[f + 2]]);
      }
      continue;
    }
    constexpr float FINF = std::numeric_limits<float>::infinity();
    float lo[3] = {FINF, FINF, FINF}, hi[3] = {-FINF, -FINF, -FINF};
    for (uint32_t i = task.begin; i < task.end; ++i)
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], items[i].centre[k]);
        hi[k] = std::max(hi[k], items[i].centre[k]);
      }
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (hi[k] - lo[k] > hi[axis] - lo[axis]) axis = k;
    const uint32_t mid = task.begin + n / 2;
    std::nth_element(
        items.begin() + task.begin, items.begin() + mid, items.begin() + task.end,
        [axis](const Item& x, const Item& y) { return x.centre[axis] < y.centre[axis]; });
    const uint32_t left = static_cast<uint32_t>(nodes_.size());
    nodes_[task.node].first = left;
    nodes_[task.node].count = 0;
    nodes_.push_back({});
    nodes_.push_back({});
    tasks.push_back({left, task.begin, mid});
    tasks.push_back({left + 1, mid, task.end});
  }
}

bool TriangleBvh::anyHit(const Vec3& origin, const Vec3& direction) const {
  if (nodes_.empty()) return false;
  const double o[3] = {origin.x, origin.y, origin.z};
  const double d[3] = {direction.x, direction.y, direction.z};
  const double margin =
      RAY_SLACK * (std::max({std::fabs(o[0]), std::fabs(o[1]), std::fabs(o[2])}) + scale_);
  uint32_t stack[MAX_STACK];
  uint32_t top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& node = nodes_[stack[--top]];
    // Slab test of the half-line t >= 0 against the box widened by `margin`.
    // A not-a-number bound never rejects.
    double tmin = 0.0, tmax = INF;
    bool miss = false;
    for (int k = 0; k < 3 && !miss; ++k) {
      const double lo = component(node.lo, k) - margin, hi = component(node.hi, k) + margin;
      if (d[k] == 0.0) {
        miss = o[k] < lo || o[k] > hi;
        continue;
      }
      double t0 = (lo - o[k]) / d[k], t1 = (hi - o[k]) / d[k];
      if (t0 > t1) std::swap(t0, t1);
      if (t0 > tmin) tmin = t0;
      if (t1 < tmax) tmax = t1;
      miss = tmin > tmax;
    }
    if (miss) continue;
    if (node.count == 0) {
      stack[top++] = node.first;
      stack[top++] = node.first + 1;
      continue;
    }
    for (uint32_t i = node.first; i < node.first + node.count; ++i)
      if (rayHitsTriangle(origin, direction, tri_[3 * i], tri_[3 * i + 1], tri_[3 * i + 2]))
        return true;
  }
  return false;
}
