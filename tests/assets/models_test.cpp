// The models as the game draws them: readable, the right size and axes, the
// right faces toward the viewer, textures that the game can use.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "generated_folder.hpp"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include "stb_image.h"

namespace {

struct Box {
  double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
  double size(int k) const { return hi[k] - lo[k]; }
};

Box bounds(const XMesh& m) {
  Box b;
  for (const auto& v : m.vertices) {
    const double p[3] = {v.position.x, v.position.y, v.position.z};
    for (int k = 0; k < 3; ++k) {
      b.lo[k] = std::min(b.lo[k], p[k]);
      b.hi[k] = std::max(b.hi[k], p[k]);
    }
  }
  return b;
}

struct D3 {
  double x, y, z;
};
D3 sub(D3 a, D3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3 crossD(D3 a, D3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dotD(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
D3 pos(const XMesh& m, uint32_t i) {
  const auto& p = m.vertices[m.indices[i]].position;
  return {p.x, p.y, p.z};
}

// What a viewer at `o` looking along `d` sees first: 1 a front face
// (clockwise from the viewer, so cross(b - a, c - a) points back at him),
// 0 a back face, -1 nothing.
int firstFace(const XMesh& m, D3 o, D3 d) {
  double best = 1e30;
  int facing = -1;
  for (uint32_t f = 0; f < m.faceCount(); ++f) {
    D3 a = pos(m, 3 * f), b = pos(m, 3 * f + 1), c = pos(m, 3 * f + 2);
    D3 e1 = sub(b, a), e2 = sub(c, a), p = crossD(d, e2);
    double det = dotD(e1, p);
    if (std::fabs(det) < 1e-12) continue;
    D3 s = sub(o, a);
    double u = dotD(s, p) / det;
    if (u < 0 || u > 1) continue;
    D3 q = crossD(s, e1);
    double v = dotD(d, q) / det;
    if (v < 0 || u + v > 1) continue;
    double t = dotD(e2, q) / det;
    if (t <= 0 || t >= best) continue;
    best = t;
    facing = dotD(crossD(e1, e2), d) < 0 ? 1 : 0;
  }
  return facing;
}

// Looks at a model from `o` across a grid of directions about `d`; every
// surface seen must be a front face.
void expectFrontFacesSeen(const XMesh& m, D3 o, D3 d, D3 across, D3 up, double reach,
                          const char* what) {
  int seen = 0;
  for (int i = -10; i <= 10; ++i) {
    for (int j = -10; j <= 10; ++j) {
      D3 s{o.x + across.x * reach * i / 10 + up.x * reach * j / 10,
           o.y + across.y * reach * i / 10 + up.y * reach * j / 10,
           o.z + across.z * reach * i / 10 + up.z * reach * j / 10};
      int f = firstFace(m, s, d);
      if (f < 0) continue;
      ++seen;
      ASSERT_EQ(f, 1) << what << ": a back face is in front at grid " << i << "," << j;
    }
  }
  EXPECT_GT(seen, 20) << what << ": hardly anything in view";
}

const char* const CARS[] = {"ford", "honda", "truck1", "oct", "honda2"};

}  // namespace

TEST(Models, EveryFileReadsWithTexturesTheGameCanUse) {
  const char* names[] = {"car",   "sph",    "try", "dir",    "mg",     "ford",
                         "honda", "truck1", "oct", "honda2", "skybox2"};
  std::set<std::string> textures;
  for (const char* n : names) {
    XMesh m = readModel(n);
    EXPECT_GT(m.faceCount(), 0u) << n;
    for (const XMaterial& mat : m.materials) {
      EXPECT_NEAR(mat.material.specular.r, 0, 1e-6) << n;
      if (!mat.textureFilename.empty()) textures.insert(mat.textureFilename);
    }
  }
  EXPECT_GE(textures.size(), 15u);
  for (const std::string& t : textures) {
    EXPECT_EQ(t.rfind("Data/", 0), 0u) << t;
    int w = 0, h = 0, c = 0;
    unsigned char* px = stbi_load((generatedFolder() + "/" + t).c_str(), &w, &h, &c, 4);
    ASSERT_NE(px, nullptr) << t << " does not load";
    EXPECT_EQ(w & (w - 1), 0) << t << " width " << w;
    EXPECT_EQ(h & (h - 1), 0) << t << " height " << h;
    // Only the leaves and the fence have cut-away (opaque black) texels; any
    // elsewhere would be holes, since the alpha test stays on for everything.
    bool cutaway = t == "Data/leaves.png" || t == "Data/fence.png";
    int black = 0, translucent = 0;
    for (int i = 0; i < w * h; ++i) {
      const unsigned char* p = px + 4 * i;
      if (p[0] == 0 && p[1] == 0 && p[2] == 0) ++black;
      if (p[3] != 255) ++translucent;
    }
    stbi_image_free(px);
    EXPECT_EQ(translucent, 0) << t;
    if (cutaway) {
      EXPECT_GT(black, w * h / 10) << t;
      EXPECT_LT(black, w * h * 9 / 10) << t;
    } else {
      EXPECT_EQ(black, 0) << t;
    }
  }
}

TEST(Models, TrafficCarsAreCarSizedWithWheelsOnTheRoad) {
  std::set<size_t> shapes;
  for (const char* n : CARS) {
    XMesh m = readModel(n);
    Box b = bounds(m);
    EXPECT_GE(b.size(2), 14.0) << n;
    EXPECT_LE(b.size(2), 16.5) << n;
    EXPECT_GE(b.size(0), 7.0) << n;
    EXPECT_LE(b.size(0), 8.0) << n;
    // Drawn at height 3 with y scale 1.2, the wheels touch the road (0.5).
    EXPECT_NEAR(3 + 1.2 * b.lo[1], 0.5, 0.05) << n;
    EXPECT_GE(m.faceCount(), 150u) << n;
    EXPECT_LE(m.faceCount(), 900u) << n;
    EXPECT_FALSE(m.materials.at(0).textureFilename.empty()) << n;
    shapes.insert(m.vertices.size() * 1000 + size_t(b.size(1) * 10));
    expectFrontFacesSeen(m, {20, 0.5, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 8, n);
    expectFrontFacesSeen(m, {-20, 0.5, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 8, n);
    expectFrontFacesSeen(m, {0, 0.5, -20}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 4, n);
    expectFrontFacesSeen(m, {0, 20, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 7, n);
  }
  EXPECT_GE(shapes.size(), 4u) << "the five models should not be copies";
}

TEST(Models, CockpitLeavesTheRoadInView) {
  XMesh m = readModel("car");
  // At rest the eye is at (0.8, 3.46, 4.1) of the body; the view looks ahead
  // (-z here) and 16.2 degrees down (target 3.2 below the eye 11 ahead), with
  // a 45 degree field. World heights are 1.3 times model heights.
  const double ex = 0.8, ey = 3.46, ez = 4.1, pitch = std::atan(3.2 / 11),
               half = std::tan(M_PI / 8);
  int checked = 0;
  for (uint32_t f = 0; f < m.faceCount(); ++f) {
    const XMaterial& mat = m.materials[m.attributes[f]];
    if (mat.textureFilename == "Data/dial.png") continue;  // the instrument itself
    D3 a = pos(m, 3 * f), b = pos(m, 3 * f + 1), c = pos(m, 3 * f + 2);
    // Points spread over the face, corners included.
    for (int i = 0; i <= 6; ++i) {
      for (int j = 0; i + j <= 6; ++j) {
        double u = i / 6.0, v = j / 6.0, w = 1 - u - v;
        D3 p{a.x * w + b.x * u + c.x * v, a.y * w + b.y * u + c.y * v, a.z * w + b.z * u + c.z * v};
        double ahead = ez - p.z, lateral = ex - p.x, up = 1.3 * (p.y - ey);
        double depth = ahead * std::cos(pitch) - up * std::sin(pitch);
        double vert = up * std::cos(pitch) + ahead * std::sin(pitch);
        if (depth < 0.5) continue;
        double sx = lateral / depth / half, sy = vert / depth / half;
        if (std::fabs(sx) > 0.6 || sy > 1) continue;  // the pillars at the edges may show
        ++checked;
        ASSERT_LE(sy, -1.0 / 3) << "point (" << p.x << ", " << p.y << ", " << p.z << ")";
      }
    }
  }
  EXPECT_GT(checked, 10);
  // From the eye, the dashboard and the dial show their front faces.
  expectFrontFacesSeen(m, {ex, ey, ez}, {0, -0.35, -1}, {1, 0, 0}, {0, 1, 0}, 0.08, "car");
}

TEST(Models, WheelNeedleMarkerAndSkyHaveTheirShapes) {
  XMesh wheel = readModel("dir");
  Box w = bounds(wheel);
  EXPECT_NEAR(w.hi[0], 1.2, 0.1);
  EXPECT_NEAR(w.lo[0], -1.2, 0.1);
  EXPECT_NEAR(w.hi[1], 1.2, 0.1);
  EXPECT_GE(w.lo[2], -0.2);  // nothing toward the driver beyond the rim
  expectFrontFacesSeen(wheel, {0, 0, -10}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 1.3, "dir");

  XMesh needle = readModel("mg");
  Box n = bounds(needle);
  EXPECT_NEAR(n.hi[0], 0.6, 0.05);
  EXPECT_LT(n.lo[0], 0);
  EXPECT_GT(n.lo[0], -0.2);
  EXPECT_LT(n.size(1), 0.15);
  EXPECT_GT(needle.materials.at(0).material.emissive.r, 0.8);  // bright at every heading
  expectFrontFacesSeen(needle, {0.25, 0, -10}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 0.3, "mg");

  Box s = bounds(readModel("sph"));
  for (int k = 0; k < 3; ++k) EXPECT_LE(s.size(k), 1.5);

  XMesh sky = readModel("skybox2");
  for (const XMaterial& mat : sky.materials) {
    EXPECT_EQ(mat.material.emissive.r, 1.0f);
    EXPECT_EQ(mat.material.diffuse.r, 0.0f);
  }
  // Seen from the middle of the world it shows its front faces all round,
  // and every corner is within the far plane's reach of the whole track.
  for (D3 d : {D3{1, 0.05, 0}, D3{-1, 0.1, 0.3}, D3{0.2, 0.02, -1}, D3{0, 1, 0}, D3{0, -1, 0}}) {
    expectFrontFacesSeen(sky, {0, 0, 0}, d, {d.z, 0, -d.x}, {0, 1, 0}, 0.001, "skybox2");
  }
  Box t = bounds(readModel("try"));
  for (const auto& v : sky.vertices) {
    for (double x : {t.lo[0], t.hi[0]}) {
      for (double z : {t.lo[2], t.hi[2]}) {
        double dx = v.position.x - x, dy = 1.2 * v.position.y, dz = v.position.z - z;
        EXPECT_LT(std::sqrt(dx * dx + dy * dy + dz * dz), 90000.0);
      }
    }
  }
}

TEST(Models, WholeSceneStaysInTheTriangleBudget) {
  // Drawn each frame: the track, the sky, nine traffic cars (the truck once,
  // the others twice), the body, the wheel and the needle.
  size_t total = readModel("try").faceCount() + readModel("skybox2").faceCount() +
                 readModel("car").faceCount() + readModel("dir").faceCount() +
                 readModel("mg").faceCount() + readModel("truck1").faceCount();
  for (const char* n : {"ford", "honda", "oct", "honda2"}) total += 2 * readModel(n).faceCount();
  EXPECT_LE(total, 40000u);
}
