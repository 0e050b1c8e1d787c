#include "cockpit.hpp"

#include <algorithm>
#include <cmath>

#include "image.hpp"
#include "solids.hpp"
#include "xwriter.hpp"

namespace {

const Rgb PAINT{150, 22, 26};  // the player's car

// Atlas of cockpit.png: dashboard top, dashboard face, bonnet, trim.
constexpr UvRect DASH_TOP{0, 0, 0.5, 0.5};
constexpr UvRect DASH_FACE{0.5, 0, 1, 0.5};
constexpr UvRect BONNET{0, 0.5, 0.5, 1};
constexpr UvRect TRIM{0.5, 0.5, 1, 1};

FaceUv whole(UvRect r) {
  // Any face of the solid gets the whole rectangle, by its corner's place in
  // the solid's own box.
  return [r](int, V3) { return std::array<double, 2>{(r.u0 + r.u1) / 2, (r.v0 + r.v1) / 2}; };
}

void panel(GenMesh& m, std::array<V3, 4> p, UvRect r, uint32_t mat) {
  m.quad(p, uvCorners(r), mat);
}

}  // namespace

double seenNeedleAngle(double roll) { return std::atan2(1.2 * std::sin(roll), std::cos(roll)); }

GenMesh buildCockpitBody() {
  GenMesh m;
  m.name = "cockpit";
  m.lighting = Lighting::Upright;
  m.drawScaleY = BODY_SCALE_Y;
  GenMaterial body;
  body.texture = "Data/cockpit.png";
  body.er = body.eg = body.eb = 0.08;
  uint32_t mat = m.addMaterial(body);
  GenMaterial dial;
  dial.r = dial.g = dial.b = 0.45;
  dial.er = dial.eg = dial.eb = 0.55;
  dial.texture = "Data/dial.png";
  uint32_t dialMat = m.addMaterial(dial);

  // Corners of every panel are given clockwise as the driver sees them.
  // Dashboard: its top slopes down toward the windscreen so that, with the
  // bonnet beyond it, it stays in the lower third of the view.
  const double dw = 3.5, zNear = -1.2, zFar = -4.0, yNear = 0.9, yFar = 0.3;
  panel(m, {V3{dw, yNear, zNear}, V3{dw, yFar, zFar}, V3{-dw, yFar, zFar}, V3{-dw, yNear, zNear}},
        DASH_TOP, mat);
  panel(m, {V3{dw, -0.9, zNear}, V3{dw, yNear, zNear}, V3{-dw, yNear, zNear}, V3{-dw, -0.9, zNear}},
        DASH_FACE, mat);
  // Bonnet, crowned along the middle, from under the dashboard's far edge to the nose.
  const double bw = 3.6, zb0 = -3.9, zb1 = -7.6, yb0 = 0.2, yb1 = -0.9, crown = 0.08;
  for (double side : {1.0, -1.0}) {
    std::array<V3, 4> p = {V3{side * bw, yb0, zb0}, V3{side * bw, yb1, zb1},
                           V3{0, yb1 + crown, zb1}, V3{0, yb0 + crown, zb0}};
    UvRect r = side > 0 ? UvRect{BONNET.u0, BONNET.v0, (BONNET.u0 + BONNET.u1) / 2, BONNET.v1}
                        : UvRect{(BONNET.u0 + BONNET.u1) / 2, BONNET.v0, BONNET.u1, BONNET.v1};
    if (side < 0) {
      std::swap(p[0], p[3]);
      std::swap(p[1], p[2]);
    }
    if (dot(cross(p[1] - p[0], p[2] - p[0]), V3{0, 1, 0}) < 0) std::swap(p[1], p[3]);
    panel(m, p, r, mat);
  }
  // A-pillars from the dashboard's far corners up to the roof.
  for (double side : {1.0, -1.0}) {
    double x0 = side * 3.4, x1 = side * 3.0, t = 0.18;
    std::array<V3, 8> c;
    for (int i = 0; i < 8; ++i) {
      bool top = i & 2;
      double x = (top ? x1 : x0) + ((i & 1) ? t : -t);
      double y = top ? 4.2 : yFar;
      double z = (top ? -0.6 : zFar) + ((i & 4) ? t : -t);
      c[i] = {x, y, z};
    }
    addHexahedron(m, c, mat, whole(TRIM), 0);
  }
  // Roof, from the windscreen header back over the driver.
  addBox(m, {-3.3, 4.2, -0.8}, {3.3, 4.45, 7.5}, mat, {TRIM, TRIM, TRIM, TRIM, TRIM, TRIM});
  // Doors with their sills, left and right of the driver.
  for (double side : {1.0, -1.0}) {
    double xo = side * 3.7, xi = side * 3.3;
    addBox(m, {std::min(xo, xi), -0.9, -4.0}, {std::max(xo, xi), 2.0, 6.5}, mat,
           {TRIM, TRIM, TRIM, TRIM, TRIM, TRIM});
  }
  // The dial, round once the game stretches the body, in its binnacle.
  const double hx = DIAL_RADIUS, hy = DIAL_RADIUS / BODY_SCALE_Y;
  panel(m,
        {V3{DIAL_X + hx, DIAL_Y - hy, DIAL_Z}, V3{DIAL_X + hx, DIAL_Y + hy, DIAL_Z},
         V3{DIAL_X - hx, DIAL_Y + hy, DIAL_Z}, V3{DIAL_X - hx, DIAL_Y - hy, DIAL_Z}},
        {0, 0, 1, 1}, dialMat);
  addBox(m, {DIAL_X - hx - 0.1, yNear - 0.1, DIAL_Z - 0.9},
         {DIAL_X + hx + 0.1, DIAL_Y + hy + 0.12, DIAL_Z - 0.06}, dialMat,
         {UvRect{0, 0, 0.02, 0.02},
          {0, 0, 0.02, 0.02},
          {0, 0, 0.02, 0.02},
          {0, 0, 0.02, 0.02},
          {0, 0, 0.02, 0.02},
          {0, 0, 0.02, 0.02}},
         1u << 2);
  return m;
}

GenMesh buildSteeringWheel() {
  GenMesh m;
  m.name = "wheel";
  m.lighting = Lighting::Upright;
  m.drawScaleY = 1.5;
  GenMaterial g;
  g.r = g.g = g.b = 0.25;
  g.er = g.eg = g.eb = 0.35;
  g.texture = "Data/wheel.png";
  uint32_t mat = m.addMaterial(g);
  const UvRect grip{0, 0, 1, 0.5}, pad{0, 0.5, 1, 0.75}, emblem{0, 0.75, 1, 1};
  // Rim: a square tube round the hub in the x-y plane.
  const int n = 20;
  const double R = 1.1, t = 0.09, d = 0.08;
  auto ring = [&](int k, double r, double z) {
    double a = 2 * PI * k / n;
    return V3{r * std::cos(a), r * std::sin(a), z};
  };
  for (int k = 0; k < n; ++k) {
    double u0 = double(k) / n * 4, u1 = double(k + 1) / n * 4;
    struct Face {
      double r0, z0, r1, z1;
      V3 out;
    };
    for (int f = 0; f < 4; ++f) {
      // Front (toward the driver, -z), outside, back, inside.
      const double rs[5] = {R - t, R + t, R + t, R - t, R - t};
      const double zs[5] = {-d, -d, d, d, -d};
      V3 p0 = ring(k, rs[f], zs[f]), p1 = ring(k, rs[f + 1], zs[f + 1]);
      V3 p2 = ring(k + 1, rs[f + 1], zs[f + 1]), p3 = ring(k + 1, rs[f], zs[f]);
      std::array<V3, 4> p = {p0, p1, p2, p3};
      std::array<std::array<double, 2>, 4> uv = {
          {{u0, grip.v0 + 0.1}, {u0, grip.v1 - 0.1}, {u1, grip.v1 - 0.1}, {u1, grip.v0 + 0.1}}};
      V3 mid = (p0 + p2) * 0.5;
      V3 centre = ring(k, R, 0) * 0.5 + ring(k + 1, R, 0) * 0.5;
      if (dot(cross(p[1] - p[0], p[2] - p[0]), mid - centre) < 0) {
        std::swap(p[1], p[3]);
        std::swap(uv[1], uv[3]);
      }
      m.quad(p, uv, mat);
    }
  }
  // Spokes at three, nine and six o'clock leave the dial above the hub in view.
  const std::array<UvRect, 6> padAll = {pad, pad, pad, pad, pad, pad};
  std::array<UvRect, 6> hubFaces = padAll;
  hubFaces[4] = emblem;  // the face toward the driver
  addBox(m, {0.3, -0.11, -0.05}, {R - t + 0.02, 0.11, 0.05}, mat, padAll);
  addBox(m, {-(R - t + 0.02), -0.11, -0.05}, {-0.3, 0.11, 0.05}, mat, padAll);
  addBox(m, {-0.11, -(R - t + 0.02), -0.05}, {0.11, -0.3, 0.05}, mat, padAll);
  addBox(m, {-0.32, -0.3, -0.12}, {0.32, 0.3, 0.12}, mat, hubFaces);
  // The column runs forward into the dashboard.
  addBox(m, {-0.13, -0.13, 0.12}, {0.13, 0.13, 2.2}, mat, padAll, 1u << 4);
  return m;
}

GenMesh buildNeedle() {
  GenMesh m;
  m.name = "needle";
  m.lighting = Lighting::Upright;
  GenMaterial g;
  g.r = g.g = g.b = 0;
  g.er = 1.0;
  g.eg = 0.34;
  g.eb = 0.08;
  uint32_t mat = m.addMaterial(g);
  // A tapered blade facing the driver (-z), pivot at the origin, tip at +0.6.
  const double tail = -0.12, tip = 0.6, wBase = 0.035, wTip = 0.012;
  m.quad({V3{tail, -wBase, 0}, V3{tail, wBase, 0}, V3{tip, wTip, 0}, V3{tip, -wTip, 0}},
         uvCorners({0, 0, 1, 1}), mat);
  // Hub cap, a little nearer the driver.
  const int n = 8;
  const double r = 0.06, z = -0.005;
  uint32_t c = m.vertex({0, 0, z}, {0, 0, -1}, 0.5, 0.5);
  for (int k = 0; k < n; ++k) {
    double a0 = 2 * PI * k / n, a1 = 2 * PI * (k + 1) / n;
    uint32_t i0 = m.vertex({r * std::cos(a0), r * std::sin(a0), z}, {0, 0, -1}, 0.5, 0.5);
    uint32_t i1 = m.vertex({r * std::cos(a1), r * std::sin(a1), z}, {0, 0, -1}, 0.5, 0.5);
    m.tri(c, i1, i0, mat);  // clockwise as seen from -z
  }
  return m;
}

GenMesh buildMarker() {
  GenMesh m;
  m.name = "marker";
  m.lighting = Lighting::Static;
  GenMaterial g;
  g.r = 0.9;
  g.g = 0.2;
  g.b = 0.9;
  uint32_t mat = m.addMaterial(g);
  const int slices = 8, stacks = 5;
  const double r = 0.5;
  auto p = [&](int i, int j) {
    double th = PI * j / stacks, ph = 2 * PI * i / slices;
    return V3{r * std::sin(th) * std::cos(ph), r * std::cos(th), r * std::sin(th) * std::sin(ph)};
  };
  for (int j = 0; j < stacks; ++j) {
    for (int i = 0; i < slices; ++i) {
      std::array<V3, 4> q = {p(i, j + 1), p(i, j), p(i + 1, j), p(i + 1, j + 1)};
      V3 mid = (q[0] + q[2]) * 0.5;
      if (j == 0 || j == stacks - 1) {
        // Pole rows: one corner pair meets at the pole, so one triangle.
        V3 a = q[0], b = q[1], cc = j == 0 ? q[3] : q[2];
        if (dot(cross(b - a, cc - a), mid) < 0) std::swap(b, cc);
        uint32_t ia = m.vertex(a, a, 0, 0), ib = m.vertex(b, b, 0, 0), ic = m.vertex(cc, cc, 0, 0);
        m.tri(ia, ib, ic, mat);
        continue;
      }
      if (dot(cross(q[1] - q[0], q[2] - q[0]), mid) < 0) std::swap(q[1], q[3]);
      uint32_t v[4];
      for (int k = 0; k < 4; ++k) v[k] = m.vertex(q[k], q[k], 0, 0);
      m.tri(v[0], v[1], v[2], mat);
      m.tri(v[0], v[2], v[3], mat);
    }
  }
  return m;
}

namespace {

// Digits 0-9 as 3 by 5 bitmaps, top row first.
const char* const DIGITS[10] = {
    "111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",
    "111100111001111", "111100111101111", "111001001001001", "111101111101111", "111101111001111"};

void drawNumber(Image& im, int value, double cx, double cy, int pixel, Rgb c) {
  std::string s = std::to_string(value);
  int w = int(s.size()) * 4 * pixel - pixel;
  int x0 = int(std::lround(cx - w / 2.0)), y0 = int(std::lround(cy - 2.5 * pixel));
  for (size_t k = 0; k < s.size(); ++k) {
    const char* bits = DIGITS[s[k] - '0'];
    for (int r = 0; r < 5; ++r)
      for (int q = 0; q < 3; ++q)
        if (bits[r * 3 + q] == '1')
          im.fillRect(x0 + int(k) * 4 * pixel + q * pixel, y0 + r * pixel,
                      x0 + int(k) * 4 * pixel + (q + 1) * pixel, y0 + (r + 1) * pixel, c);
  }
}

Image dialTexture() {
  Image im(256, 256);
  const double c = 128;
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      double dx = (x + 0.5 - c) / 256, dy = (y + 0.5 - c) / 256, r = std::hypot(dx, dy);
      Rgb col{44, 44, 48};                                                  // the binnacle
      if (r < 0.5) col = Rgb{180, 182, 188};                                // bezel
      if (r < 0.47) col = mix(Rgb{30, 32, 40}, Rgb{16, 18, 24}, r / 0.47);  // face
      im.set(x, y, col);
    }
  }
  // The scale: 0 where the needle rests, full at top speed, clockwise.
  auto at = [&](double frac, double r) {
    double a = seenNeedleAngle(NEEDLE_REST + (NEEDLE_FULL - NEEDLE_REST) * frac);
    return std::array<double, 2>{c + r * 256 * std::cos(a), c - r * 256 * std::sin(a)};
  };
  for (int k = 0; k <= 40; ++k) {
    double frac = k / 40.0;
    bool major = k % 10 == 0;
    double r0 = major ? 0.34 : 0.39;
    Rgb tick = frac > 0.8 ? Rgb{230, 60, 40} : Rgb{236, 236, 236};
    for (double r = r0; r < 0.45; r += 0.002) {
      auto p = at(frac, r);
      int half = major ? 2 : 1;
      im.fillRect(int(p[0]) - half + 1, int(p[1]) - half + 1, int(p[0]) + half, int(p[1]) + half,
                  tick);
    }
    if (major && k % 20 == 0) {
      auto p = at(frac, 0.28);
      drawNumber(im, k * 5, p[0], p[1], 2, Rgb{236, 236, 236});
    }
  }
  return im;
}

Image cockpitTexture() {
  Image im(256, 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      double u = (x + 0.5) / 256, v = (y + 0.5) / 256;
      double n = fbm(x / 8.0, y / 8.0, 32, 3, 201);
      Rgb col;
      if (v < 0.5 && u < 0.5) {
        // Dashboard top, lighter where the windscreen lights it.
        double t = v / 0.5;
        col = scale(Rgb{70, 66, 64}, 0.8 + 0.3 * t + 0.12 * (n - 0.5));
      } else if (v < 0.5) {
        // Dashboard face, with vents and a glovebox line.
        col = scale(Rgb{58, 56, 56}, 0.9 + 0.12 * (n - 0.5));
        double fu = (u - 0.5) / 0.5, fv = v / 0.5;
        if (fv > 0.15 && fv < 0.35 && ((fu > 0.05 && fu < 0.2) || (fu > 0.8 && fu < 0.95)))
          col = (y % 4 < 2) ? Rgb{24, 24, 26} : Rgb{80, 80, 84};
        if (std::fabs(fv - 0.55) < 0.01) col = Rgb{36, 36, 38};
      } else if (u < 0.5) {
        // Bonnet paint, with the sky's sheen toward the far end.
        double t = (v - 0.5) / 0.5;
        col = mix(scale(PAINT, 1.3), scale(PAINT, 0.85), t);
        col = scale(col, 0.96 + 0.08 * n);
      } else {
        col = scale(Rgb{52, 50, 52}, 0.9 + 0.2 * n);
      }
      im.set(x, y, col);
    }
  }
  return im;
}

Image wheelTexture() {
  Image im(64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      double n = fbm(x / 4.0, y / 4.0, 16, 2, 211);
      Rgb col = scale(Rgb{110, 106, 104}, 0.85 + 0.3 * n);
      if (y < 32 && (x % 8 == 0)) col = scale(col, 0.7);         // stitching on the grip
      if (y >= 32) col = scale(Rgb{70, 68, 68}, 0.9 + 0.2 * n);  // the hub pad
      if (y >= 48 && std::hypot(x - 31.5, y - 55.5) < 5) col = Rgb{190, 180, 140};
      im.set(x, y, col);
    }
  }
  return im;
}

}  // namespace

bool writeCockpit(const std::string& dir) {
  bool ok = true;
  ok &= writeXFile(dir + "/car.x", buildCockpitBody());
  ok &= writeXFile(dir + "/dir.x", buildSteeringWheel());
  ok &= writeXFile(dir + "/mg.x", buildNeedle());
  ok &= writeXFile(dir + "/sph.x", buildMarker());
  ok &= writePng(dir + "/cockpit.png", cockpitTexture(), false);
  ok &= writePng(dir + "/dial.png", dialTexture(), false);
  ok &= writePng(dir + "/wheel.png", wheelTexture(), false);
  return ok;
}
