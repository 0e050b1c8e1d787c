// Double-precision vectors for building geometry; files get fixed-format
// floats, so the output never depends on float rounding of intermediate steps.
#pragma once

#include <cmath>

struct V3 {
  double x = 0, y = 0, z = 0;
};

inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 cross(V3 a, V3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(V3 a) { return std::sqrt(dot(a, a)); }
inline V3 normalized(V3 a) {
  double l = length(a);
  return l > 0 ? a * (1.0 / l) : V3{0, 1, 0};
}

// A point on the ground map: x to the east, z to the north.
struct P2 {
  double x = 0, z = 0;
};

inline P2 operator+(P2 a, P2 b) { return {a.x + b.x, a.z + b.z}; }
inline P2 operator-(P2 a, P2 b) { return {a.x - b.x, a.z - b.z}; }
inline P2 operator*(P2 a, double s) { return {a.x * s, a.z * s}; }
inline double dot(P2 a, P2 b) { return a.x * b.x + a.z * b.z; }
// Positive when b lies counter-clockwise from a on the map.
inline double cross(P2 a, P2 b) { return a.x * b.z - a.z * b.x; }
inline double length(P2 a) { return std::sqrt(dot(a, a)); }

constexpr double PI = 3.14159265358979323846;
