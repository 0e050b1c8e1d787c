#include "solids.hpp"

#include <cmath>

void addHexahedron(GenMesh& m, const std::array<V3, 8>& c, uint32_t material, const FaceUv& uv,
                   uint32_t skipMask) {
  // The corner order of addBox's faces, clockwise from outside.
  static const int G[6][4] = {{4, 6, 2, 0}, {1, 3, 7, 5}, {4, 0, 1, 5},
                              {2, 6, 7, 3}, {0, 2, 3, 1}, {5, 7, 6, 4}};
  for (int f = 0; f < 6; ++f) {
    if (skipMask & (1u << f)) continue;
    std::array<V3, 4> p;
    std::array<std::array<double, 2>, 4> t;
    for (int k = 0; k < 4; ++k) {
      p[k] = c[G[f][k]];
      t[k] = uv(f, p[k]);
    }
    m.quad(p, t, material);
  }
}

void addWheel(GenMesh& m, double x0, double x1, double y, double z, double radius, int sides,
              uint32_t material, UvRect tread, UvRect cap) {
  auto rim = [&](int k, double x) {
    double a = 2 * PI * k / sides;
    return V3{x, y + radius * std::cos(a), z + radius * std::sin(a)};
  };
  for (int k = 0; k < sides; ++k) {
    double u0 = tread.u0 + (tread.u1 - tread.u0) * k / sides;
    double u1 = tread.u0 + (tread.u1 - tread.u0) * (k + 1) / sides;
    std::array<V3, 4> p = {rim(k, x0), rim(k, x1), rim(k + 1, x1), rim(k + 1, x0)};
    std::array<std::array<double, 2>, 4> t = {
        {{u0, tread.v0}, {u0, tread.v1}, {u1, tread.v1}, {u1, tread.v0}}};
    V3 mid = (p[0] + p[2]) * 0.5, out = mid - V3{mid.x, y, z};
    if (dot(cross(p[1] - p[0], p[2] - p[0]), out) < 0) {
      std::swap(p[1], p[3]);
      std::swap(t[1], t[3]);
    }
    m.quad(p, t, material);
  }
  double cu = (cap.u0 + cap.u1) / 2, cv = (cap.v0 + cap.v1) / 2;
  double ru = (cap.u1 - cap.u0) / 2, rv = (cap.v1 - cap.v0) / 2;
  for (double x : {x0, x1}) {
    V3 n{x > (x0 + x1) / 2 ? 1.0 : -1.0, 0, 0};
    uint32_t centre = m.vertex({x, y, z}, n, cu, cv);
    for (int k = 0; k < sides; ++k) {
      double a0 = 2 * PI * k / sides, a1 = 2 * PI * (k + 1) / sides;
      V3 p0 = rim(k, x), p1 = rim(k + 1, x);
      uint32_t i0 = m.vertex(p0, n, cu + ru * std::sin(a0), cv - rv * std::cos(a0));
      uint32_t i1 = m.vertex(p1, n, cu + ru * std::sin(a1), cv - rv * std::cos(a1));
      if (dot(cross(p0 - V3{x, y, z}, p1 - V3{x, y, z}), n) > 0) {
        m.tri(centre, i0, i1, material);
      } else {
        m.tri(centre, i1, i0, material);
      }
    }
  }
}
