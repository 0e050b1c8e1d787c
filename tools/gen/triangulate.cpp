#include "triangulate.hpp"

#include <cmath>

namespace {

double area2(P2 a, P2 b, P2 c) { return cross(b - a, c - a); }

bool insideOrOn(P2 p, P2 a, P2 b, P2 c) {
  const double eps = 1e-9;
  return area2(a, b, p) >= -eps && area2(b, c, p) >= -eps && area2(c, a, p) >= -eps;
}

bool same(P2 a, P2 b) { return std::fabs(a.x - b.x) < 1e-9 && std::fabs(a.z - b.z) < 1e-9; }

}  // namespace

bool earClip(const std::vector<P2>& poly, std::vector<std::array<int, 3>>& out) {
  std::vector<int> idx;
  double area = 0;
  for (size_t i = 0; i < poly.size(); ++i) {
    area += cross(poly[i], poly[(i + 1) % poly.size()]);
  }
  for (size_t i = 0; i < poly.size(); ++i) idx.push_back(int(area >= 0 ? i : poly.size() - 1 - i));

  const double eps = 1e-7;
  while (idx.size() > 3) {
    size_t n = idx.size();
    bool clipped = false;
    for (size_t i = 0; i < n && !clipped; ++i) {
      int ia = idx[(i + n - 1) % n], ib = idx[i], ic = idx[(i + 1) % n];
      P2 a = poly[ia], b = poly[ib], c = poly[ic];
      if (area2(a, b, c) <= eps) continue;
      bool empty = true;
      for (size_t j = 0; j < n && empty; ++j) {
        int k = idx[j];
        if (k == ia || k == ib || k == ic) continue;
        P2 p = poly[k];
        if (same(p, a) || same(p, b) || same(p, c)) continue;
        if (insideOrOn(p, a, b, c)) empty = false;
      }
      if (!empty) continue;
      out.push_back({ia, ib, ic});
      idx.erase(idx.begin() + i);
      clipped = true;
    }
    if (clipped) continue;
    // No ear left: drop a straight corner, which needs no triangle.
    for (size_t i = 0; i < n && !clipped; ++i) {
      P2 a = poly[idx[(i + n - 1) % n]], b = poly[idx[i]], c = poly[idx[(i + 1) % n]];
      if (std::fabs(area2(a, b, c)) <= eps) {
        idx.erase(idx.begin() + i);
        clipped = true;
      }
    }
    if (!clipped) return false;
  }
  if (idx.size() == 3 && area2(poly[idx[0]], poly[idx[1]], poly[idx[2]]) > eps) {
    out.push_back({idx[0], idx[1], idx[2]});
  }
  return true;
}
