// One small scene that the GL device (natively) and the Direct3D 9 device
// (under Wine) both draw, so their pictures can be set side by side: a
// moving camera, two coloured lights and a disabled one, a stretched and
// turned cube with a colour-keyed texture cut away by the alpha test, a
// textured ground that repeats its texture, and an untextured lit wedge
// partly hidden by the cube. The pictures travel as binary PPM files.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/graphics.hpp"
#include "render/math.hpp"

namespace agreement {

using namespace platform;

struct Picture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows top first
};

// A box of half-sides 1 around the origin, four vertices and a normal per
// face, faces wound clockwise seen from outside.
inline MeshHandle cube(Device* d) {
  std::vector<MeshVertex> v;
  std::vector<uint32_t> idx;
  const Vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int a = 0; a < 3; ++a) {
    for (float s : {-1.0f, 1.0f}) {
      const Vec3 n = axes[a] * s, u = axes[(a + 1) % 3], w = axes[(a + 2) % 3];
      const auto base = static_cast<uint32_t>(v.size());
      const Vec2 uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
      const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (int c = 0; c < 4; ++c) v.push_back({n + u * corner[c][0] + w * corner[c][1], n, uv[c]});
      // Seen from outside along -n, u x w = n: the order flips with s.
      const uint32_t quad[2][6] = {{0, 2, 1, 0, 3, 2}, {0, 1, 2, 0, 2, 3}};
      for (uint32_t i : quad[s > 0 ? 1 : 0]) idx.push_back(base + i);
    }
  }
  const SubsetRange all{0, 12};
  return d->createMesh({v.data(), 24, idx.data(), 12, &all, 1});
}

inline MeshHandle ground(Device* d) {
  const MeshVertex v[4] = {{{-8, 0, -8}, {0, 1, 0}, {0, 3}},
                           {{-8, 0, 8}, {0, 1, 0}, {0, 0}},
                           {{8, 0, 8}, {0, 1, 0}, {3, 0}},
                           {{8, 0, -8}, {0, 1, 0}, {3, 3}}};
  const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
  const SubsetRange all{0, 2};
  return d->createMesh({v, 4, idx, 2, &all, 1});
}

// A wedge: two sloped faces meeting in a ridge along z.
inline MeshHandle wedge(Device* d) {
  const MeshVertex v[8] = {
      {{-1, 0, -1}, {-0.7071f, 0.7071f, 0}, {0, 0}}, {{0, 1, -1}, {-0.7071f, 0.7071f, 0}, {0, 0}},
      {{0, 1, 1}, {-0.7071f, 0.7071f, 0}, {0, 0}},   {{-1, 0, 1}, {-0.7071f, 0.7071f, 0}, {0, 0}},
      {{0, 1, -1}, {0.7071f, 0.7071f, 0}, {0, 0}},   {{1, 0, -1}, {0.7071f, 0.7071f, 0}, {0, 0}},
      {{1, 0, 1}, {0.7071f, 0.7071f, 0}, {0, 0}},    {{0, 1, 1}, {0.7071f, 0.7071f, 0}, {0, 0}}};
  const uint32_t idx[12] = {0, 2, 1, 0, 3, 2, 4, 6, 5, 4, 7, 6};
  const SubsetRange all{0, 4};
  return d->createMesh({v, 8, idx, 4, &all, 1});
}

inline Light directional(Vec3 direction, float r, float g, float b) {
  Light l{};
  l.type = LightType::Directional;
  l.diffuse = {r, g, b, 0.2f};
  l.specular = {1, 1, 1, 0};
  l.direction = vec3Normalize(direction);
  l.range = 10;
  l.falloff = 1;
  l.attenuation0 = 1;
  return l;
}

inline Material material(float r, float g, float b, float er, float eg, float eb) {
  Material m{};
  m.diffuse = {r, g, b, 1};
  m.ambient = m.diffuse;  // as the game loads its materials
  m.emissive = {er, eg, eb, 1};
  return m;
}

// Draws the scene on a freshly reset 1024x768 device, between its own
// begin and end.
inline void drawScene(Device* d) {
  // 4x4 texels: colours, keyed transparent black, and an alpha below the
  // game's reference of 200.
  std::vector<uint8_t> boxTexels;
  for (int i = 0; i < 16; ++i) {
    const int x = i % 4, y = i / 4;
    const bool keyed = x == 1 && y == 2, faint = x == 3 && y == 0;
    const uint8_t c[4] = {static_cast<uint8_t>(keyed ? 0 : 60 + 60 * x),
                          static_cast<uint8_t>(keyed ? 0 : 230 - 50 * y),
                          static_cast<uint8_t>(keyed ? 0 : ((x + y) % 2 ? 250 : 90)),
                          static_cast<uint8_t>(keyed   ? 0
                                               : faint ? 150
                                                       : 255)};
    boxTexels.insert(boxTexels.end(), c, c + 4);
  }
  const uint8_t groundTexels[16] = {180, 170, 150, 255, 70,  140, 60,  255,
                                    70,  140, 60,  255, 180, 170, 150, 255};
  const TextureHandle boxTexture = d->createTexture({4, 4, boxTexels.data()});
  const TextureHandle groundTexture = d->createTexture({2, 2, groundTexels});
  const MeshHandle box = cube(d), floor = ground(d), ridge = wedge(d);

  d->clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
  d->beginScene();
  // The camera stands off to the side, above, looking down at the cube: its
  // view turns every direction, so a light left in world space shows.
  d->setTransform(TransformState::Projection,
                  matrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 0.5f, 100.0f));
  d->setTransform(TransformState::View,
                  matrixLookAtLH({5.5f, 4.5f, -9.0f}, {0, 0.8f, 0}, {0, 1, 0}));
  d->setLight(0, directional({1, -2, 1.5f}, 0.9f, 0.8f, 0.7f));
  d->setLight(1, directional({-1, -0.5f, -0.2f}, 0.25f, 0.35f, 0.6f));
  d->setLight(2, directional({0, -1, 0}, 1, 1, 1));
  d->lightEnable(0, true);
  d->lightEnable(1, true);
  d->setRenderState(RenderState::Lighting, 1);
  d->setRenderState(RenderState::DiffuseMaterialSource, MCS_MATERIAL);
  d->setRenderState(RenderState::SpecularMaterialSource, MCS_COLOR2);

  d->setTransform(TransformState::World, matrixIdentity());
  d->setMaterial(material(0.9f, 0.9f, 0.9f, 0, 0, 0));
  d->setTexture(0, groundTexture);
  d->drawSubset(floor, 0);

  // Stretched along world x after its turn: the normals' lengths change.
  d->setTransform(TransformState::World,
                  matrixMultiply(matrixMultiply(matrixRotationY(0.6f), matrixScaling(1.6f, 1, 1)),
                                 matrixTranslation(-1.0f, 1.0f, 0.5f)));
  d->setMaterial(material(0.8f, 0.6f, 0.45f, 0.05f, 0.05f, 0.1f));
  d->setTexture(0, boxTexture);
  d->setRenderState(RenderState::AlphaTestEnable, 1);
  d->setRenderState(RenderState::AlphaFunc, CMP_GREATEREQUAL);
  d->setRenderState(RenderState::AlphaRef, 200);
  d->drawSubset(box, 0);

  d->setTransform(TransformState::World, matrixMultiply(matrixScaling(1.5f, 1.2f, 1.5f),
                                                        matrixTranslation(1.8f, 0, 1.5f)));
  d->setMaterial(material(0.3f, 0.9f, 0.5f, 0.1f, 0, 0));
  d->setTexture(0, 0);
  d->drawSubset(ridge, 0);
  d->endScene();
}

inline Picture pictureOf(const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
  Picture p{width, height, {}};
  p.rgb.reserve(size_t{width} * height * 3);
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) p.rgb.insert(p.rgb.end(), &rgba[i], &rgba[i] + 3);
  return p;
}

inline bool writePpm(const std::string& path, const Picture& p) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%u %u\n255\n", p.width, p.height);
  const bool ok = std::fwrite(p.rgb.data(), 1, p.rgb.size(), f) == p.rgb.size();
  return std::fclose(f) == 0 && ok;
}

// Reads what writePpm wrote; false for anything else.
inline bool readPpm(const std::string& path, Picture& p) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned w = 0, h = 0, max = 0;
  bool ok = std::fscanf(f, "P6 %u %u %u", &w, &h, &max) == 3 && max == 255 && w > 0 && h > 0 &&
            w <= 8192 && h <= 8192 && std::fgetc(f) == '\n';
  if (ok) {
    p.width = w;
    p.height = h;
    p.rgb.resize(size_t{w} * h * 3);
    ok = std::fread(p.rgb.data(), 1, p.rgb.size(), f) == p.rgb.size();
  }
  std::fclose(f);
  return ok;
}

struct Agreement {
  size_t compared = 0;    // pixels inside flat areas of the reference
  size_t mismatched = 0;  // of those, pixels off by more than the tolerance
  uint32_t firstX = 0, firstY = 0;
};

// Compares `other` with `reference` wherever the reference is flat: a pixel
// whose 3x3 neighbourhood stays within the tolerance of it. Edges and texel
// boundaries, where two rasterisers may round a sample either way, are left
// out; every lit, textured and cleared area counts.
inline Agreement compare(const Picture& reference, const Picture& other, int tolerance) {
  Agreement a;
  if (reference.width != other.width || reference.height != other.height) return a;
  const auto at = [&](const Picture& p, uint32_t x, uint32_t y, int c) {
    return static_cast<int>(p.rgb[(size_t{y} * p.width + x) * 3 + c]);
  };
  for (uint32_t y = 1; y + 1 < reference.height; ++y) {
    for (uint32_t x = 1; x + 1 < reference.width; ++x) {
      bool flat = true;
      for (int dy = -1; dy <= 1 && flat; ++dy)
        for (int dx = -1; dx <= 1 && flat; ++dx)
          for (int c = 0; c < 3 && flat; ++c)
            flat = std::abs(at(reference, x + dx, y + dy, c) - at(reference, x, y, c)) <= tolerance;
      if (!flat) continue;
      ++a.compared;
      bool same = true;
      for (int c = 0; c < 3; ++c)
        same = same && std::abs(at(other, x, y, c) - at(reference, x, y, c)) <= tolerance;
      if (!same && a.mismatched++ == 0) {
        a.firstX = x;
        a.firstY = y;
      }
    }
  }
  return a;
}

}  // namespace agreement
