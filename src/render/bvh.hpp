// Bounding-volume hierarchy over a triangle mesh, for "does this half-line
// cross any triangle" questions (the track pick). Triangles count whichever
// way they face.
#pragma once

#include <cstdint>
#include <vector>

#include "render/math.hpp"

class TriangleBvh {
 public:
  void build(const std::vector<Vec3>& positions, const std::vector<uint32_t>& indices);
  // True when some triangle crosses origin + t * direction for some t >= 0.
  bool anyHit(const Vec3& origin, const Vec3& direction) const;
  bool empty() const { return nodes_.empty(); }

 private:
  struct Node {
    Vec3 lo, hi;
    uint32_t first;  // first triangle (leaf) or first child (inner)
    uint32_t count;  // triangles in a leaf; 0 for an inner node
  };
  std::vector<Node> nodes_;
  std::vector<Vec3> tri_;  // three corners per triangle, in leaf order
  double scale_ = 0.0;     // largest coordinate magnitude, for the boxes' rounding room
};

// The same question answered by a pass over every triangle.
bool rayHitsAnyTriangle(const std::vector<Vec3>& positions, const std::vector<uint32_t>& indices,
                        const Vec3& origin, const Vec3& direction);
// One triangle against a half-line, counting both faces.
bool rayHitsTriangle(const Vec3& origin, const Vec3& direction, const Vec3& a, const Vec3& b,
                     const Vec3& c);
