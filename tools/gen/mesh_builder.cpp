#include "mesh_builder.hpp"

#include <algorithm>
#include <cmath>

namespace {

// Direction the soft sun of static meshes comes from.
const V3 SUN = normalized({0.45, 1.0, -0.35});

double staticBrightness(V3 n) { return 0.66 + 0.34 * std::max(0.0, dot(normalized(n), SUN)); }

}  // namespace

double gameBrightness(V3 m, double sy) {
  // Lights 0 and 1 shine along (-1, 1, 1), lights 2 and 3 the other way; the
  // normal is carried by the inverse transpose of the y scale.
  double d = (-m.x + m.y / sy + m.z) / std::sqrt(3.0);
  return std::min(1.0, 2.0 * std::fabs(d));
}

V3 fitLightingNormal(V3 n, double b, double sy) {
  V3 h{-1.0 / std::sqrt(3.0), 1.0 / (sy * std::sqrt(3.0)), 1.0 / std::sqrt(3.0)};
  double hl = length(h);
  V3 q = h * (1.0 / hl);
  double beta = std::min(1.0, b / (2.0 * hl));
  n = normalized(n);
  double nq = dot(n, q);
  double s = nq < 0 ? -1.0 : 1.0;
  V3 perp = n - q * nq;
  if (length(perp) < 1e-9) perp = cross(q, V3{1, 0, 0});
  perp = normalized(perp);
  return q * (beta * s) + perp * std::sqrt(1.0 - beta * beta);
}

uint32_t GenMesh::addMaterial(const GenMaterial& m) {
  materials.push_back(m);
  return static_cast<uint32_t>(materials.size() - 1);
}

uint32_t GenMesh::vertex(V3 p, V3 n, double u, double v, double shade) {
  GenVertex gv;
  gv.pos = p;
  gv.u = u;
  gv.v = v;
  if (lighting == Lighting::Upright) {
    gv.normal = {0, 1, 0};
  } else {
    gv.normal = fitLightingNormal(n, staticBrightness(n) * shade, drawScaleY);
  }
  verts.push_back(gv);
  return static_cast<uint32_t>(verts.size() - 1);
}

void GenMesh::tri(uint32_t a, uint32_t b, uint32_t c, uint32_t material) {
  faces.push_back({a, b, c});
  faceMaterial.push_back(material);
}

void GenMesh::quad(const std::array<V3, 4>& p, const std::array<std::array<double, 2>, 4>& uv,
                   uint32_t material, double shade) {
  V3 n = normalized(cross(p[1] - p[0], p[2] - p[0]));
  uint32_t i[4];
  for (int k = 0; k < 4; ++k) i[k] = vertex(p[k], n, uv[k][0], uv[k][1], shade);
  tri(i[0], i[1], i[2], material);
  tri(i[0], i[2], i[3], material);
}

void GenMesh::quadBothSides(const std::array<V3, 4>& p,
                            const std::array<std::array<double, 2>, 4>& uv, uint32_t material) {
  quad(p, uv, material);
  // Seen from behind the corners run the other way; the texture is mirrored,
  // as it would be on a thin card.
  quad({p[3], p[2], p[1], p[0]}, {uv[3], uv[2], uv[1], uv[0]}, material);
}

void GenMesh::append(const GenMesh& other) {
  uint32_t base = static_cast<uint32_t>(verts.size());
  uint32_t matBase = static_cast<uint32_t>(materials.size());
  verts.insert(verts.end(), other.verts.begin(), other.verts.end());
  materials.insert(materials.end(), other.materials.begin(), other.materials.end());
  for (size_t f = 0; f < other.faces.size(); ++f) {
    const auto& t = other.faces[f];
    tri(t[0] + base, t[1] + base, t[2] + base, other.faceMaterial[f] + matBase);
  }
}

std::array<std::array<double, 2>, 4> uvCorners(UvRect r) {
  return {{{r.u0, r.v1}, {r.u0, r.v0}, {r.u1, r.v0}, {r.u1, r.v1}}};
}

void addBox(GenMesh& m, V3 lo, V3 hi, uint32_t material, const std::array<UvRect, 6>& uv,
            uint32_t skipMask) {
  const double x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
  // Each face from its lower left, clockwise as seen from outside.
  const std::array<std::array<V3, 4>, 6> f = {{
      {{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}},  // -x, seen from -x
      {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}},  // +x
      {{{x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}}},  // -y, seen from below
      {{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}},  // +y, seen from above
      {{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}},  // -z
      {{{x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}}},  // +z
  }};
  for (int i = 0; i < 6; ++i) {
    if (skipMask & (1u << i)) continue;
    m.quad(f[i], uvCorners(uv[i]), material);
  }
}
