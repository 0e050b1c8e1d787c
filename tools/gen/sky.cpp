#include "sky.hpp"

#include <algorithm>
#include <cmath>

#include "image.hpp"
#include "xwriter.hpp"

namespace {

constexpr int SIDES = 32;
constexpr double BAND_TOP = 12000, BAND_BOTTOM = -3000, APEX = 30000, NADIR = -20000;
constexpr double DRAW_SCALE_Y = 1.2;
constexpr int BAND_W = 2048, BAND_H = 256;
constexpr double BAND_REPEAT = 2;  // the band goes round the ring twice

V3 ringPoint(int k, double y) {
  double a = 2 * PI * k / SIDES;
  return {SKY_RADIUS * std::cos(a), y, SKY_RADIUS * std::sin(a)};
}

// A triangle or quad seen from inside: its front faces the ring's axis.
void inward(GenMesh& m, std::vector<V3> p, std::vector<std::array<double, 2>> uv, uint32_t mat) {
  V3 mid{0, 0, 0};
  for (const V3& q : p) mid = mid + q * (1.0 / p.size());
  V3 n = cross(p[1] - p[0], p[2] - p[0]);
  if (dot(n, V3{0, mid.y, 0} - mid) < 0) {
    std::reverse(p.begin(), p.end());
    std::reverse(uv.begin(), uv.end());
  }
  std::vector<uint32_t> v;
  for (size_t i = 0; i < p.size(); ++i) v.push_back(m.vertex(p[i], {0, 1, 0}, uv[i][0], uv[i][1]));
  m.tri(v[0], v[1], v[2], mat);
  if (p.size() == 4) m.tri(v[0], v[2], v[3], mat);
}

double elevationOfRow(double row) {
  double y = BAND_TOP - (BAND_TOP - BAND_BOTTOM) * row / BAND_H;
  return std::atan(DRAW_SCALE_Y * y / SKY_RADIUS) * 180 / PI;
}

Rgb skyColour(double elevation) {
  double t = std::clamp(elevation / 25.0, 0.0, 1.0);
  return mix(Rgb{206, 220, 234}, Rgb{84, 134, 206}, std::pow(t, 0.7));
}

Image bandTexture() {
  Image im(BAND_W, BAND_H);
  const int hillPeriod = 32;  // lattice cells across the texture, so it wraps
  for (int x = 0; x < BAND_W; ++x) {
    double u = double(x) / BAND_W;
    double far = 0.5 + 2.3 * fbm(u * hillPeriod, 3.5, hillPeriod, 4, 301);
    double nearHill = 0.1 + 1.3 * std::pow(fbm(u * hillPeriod, 9.5, hillPeriod, 4, 302), 1.5);
    for (int y = 0; y < BAND_H; ++y) {
      double el = elevationOfRow(y + 0.5);
      Rgb c = skyColour(el);
      // Clouds, thinning toward the horizon.
      double cl = fbm(u * 16, y / 24.0, 16, 5, 303);
      double cover = std::clamp((cl - 0.52) * 3.2, 0.0, 1.0) * std::clamp(el / 3.0, 0.0, 1.0);
      c = mix(c, mix(Rgb{250, 250, 252}, Rgb{196, 200, 212}, std::clamp(1 - el / 20, 0.0, 1.0)),
              cover * 0.85);
      if (el < far) {
        double haze = fbm(u * 64, y / 8.0, 64, 2, 304);
        c = mix(Rgb{128, 150, 170}, Rgb{150, 168, 184}, haze);
      }
      if (el < nearHill) {
        double g = fbm(u * 128, y / 4.0, 128, 3, 305);
        c = mix(Rgb{78, 104, 76}, Rgb{102, 124, 84}, g);
      }
      if (el < 0.05) {
        double g = fbm(u * 256, y / 2.0, 256, 2, 306);
        c = mix(Rgb{96, 118, 78}, Rgb{120, 128, 88}, g);
      }
      im.set(x, y, c);
    }
  }
  return im;
}

Image topTexture() {
  Image im(128, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      double cl = fbm(x / 16.0, y / 16.0, 8, 4, 311);
      im.set(x, y, mix(skyColour(25), Rgb{236, 238, 244}, std::clamp((cl - 0.55) * 2.5, 0.0, 0.7)));
    }
  return im;
}

Image groundTexture() {
  Image im(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      double g = fbm(x / 8.0, y / 8.0, 8, 3, 321);
      im.set(x, y, mix(Rgb{88, 110, 72}, Rgb{116, 126, 86}, g));
    }
  return im;
}

}  // namespace

GenMesh buildSky() {
  GenMesh m;
  m.name = "sky";
  m.lighting = Lighting::Static;
  auto emissive = [](const char* tex) {
    GenMaterial g;
    g.r = g.g = g.b = 0;
    g.er = g.eg = g.eb = 1;
    g.texture = tex;
    return g;
  };
  uint32_t band = m.addMaterial(emissive("Data/sky_band.png"));
  uint32_t top = m.addMaterial(emissive("Data/sky_top.png"));
  uint32_t ground = m.addMaterial(emissive("Data/sky_ground.png"));
  for (int k = 0; k < SIDES; ++k) {
    double u0 = BAND_REPEAT * k / SIDES, u1 = BAND_REPEAT * (k + 1) / SIDES;
    // Half a texel in from the edges, so point sampling never wraps a row.
    double v0 = 0.5 / BAND_H, v1 = 1 - 0.5 / BAND_H;
    inward(m,
           {ringPoint(k, BAND_BOTTOM), ringPoint(k, BAND_TOP), ringPoint(k + 1, BAND_TOP),
            ringPoint(k + 1, BAND_BOTTOM)},
           {{u0, v1}, {u0, v0}, {u1, v0}, {u1, v1}}, band);
    auto planar = [](V3 p) {
      return std::array<double, 2>{p.x / SKY_RADIUS * 2, p.z / SKY_RADIUS * 2};
    };
    V3 a = ringPoint(k, BAND_TOP), b = ringPoint(k + 1, BAND_TOP), apex{0, APEX, 0};
    inward(m, {a, apex, b}, {planar(a), planar(apex), planar(b)}, top);
    V3 c = ringPoint(k, BAND_BOTTOM), d = ringPoint(k + 1, BAND_BOTTOM), nadir{0, NADIR, 0};
    inward(m, {c, d, nadir}, {planar(c), planar(d), planar(nadir)}, ground);
  }
  return m;
}

bool writeSky(const std::string& dir) {
  bool ok = writeXFile(dir + "/skybox2.x", buildSky());
  ok &= writePng(dir + "/sky_band.png", bandTexture(), false);
  ok &= writePng(dir + "/sky_top.png", topTexture(), false);
  ok &= writePng(dir + "/sky_ground.png", groundTexture(), false);
  return ok;
}
