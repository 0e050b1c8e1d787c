// Triangle meshes as the generator builds them, before they are written as
// text .x files. Front faces are clockwise as seen from outside, which in the
// game's left-handed world means cross(b - a, c - a) points outward.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vec.hpp"

struct GenMaterial {
  double r = 1, g = 1, b = 1;     // diffuse
  double er = 0, eg = 0, eb = 0;  // emissive
  std::string texture;            // "Data/NAME.png", or empty for none
};

// How the game lights a mesh decides what its normals must be. The four
// lights all lie along the axis (-1, 1, 1), so a true normal square to that
// axis would come out black. Normals are therefore lighting normals: unit
// vectors bent so that the game's lights give each corner a chosen
// brightness, with the rest of the shading painted into the textures.
enum class Lighting {
  // Never turned: brightness follows a soft sun from the south-east.
  Static,
  // Turned about y while driving: only a vertical normal keeps its
  // brightness at every heading, so every normal is vertical.
  Upright,
};

struct GenVertex {
  V3 pos;
  V3 normal;
  double u = 0, v = 0;
};

struct GenMesh {
  std::string name;
  Lighting lighting = Lighting::Static;
  double drawScaleY = 1.2;  // the y scale the game draws this mesh with
  std::vector<GenVertex> verts;
  std::vector<std::array<uint32_t, 3>> faces;
  std::vector<uint32_t> faceMaterial;
  std::vector<GenMaterial> materials;

  uint32_t addMaterial(const GenMaterial& m);
  // `n` is the geometric normal; `shade` darkens the corner (1 = none).
  uint32_t vertex(V3 p, V3 n, double u, double v, double shade = 1.0);
  void tri(uint32_t a, uint32_t b, uint32_t c, uint32_t material);
  // Corners clockwise as seen from the front; uv per corner.
  void quad(const std::array<V3, 4>& p, const std::array<std::array<double, 2>, 4>& uv,
            uint32_t material, double shade = 1.0);
  // The same quad, also visible from behind (for cut-away cards).
  void quadBothSides(const std::array<V3, 4>& p, const std::array<std::array<double, 2>, 4>& uv,
                     uint32_t material);
  // Appends another mesh's triangles with its materials mapped onto this one's.
  void append(const GenMesh& other);
};

// A rectangle of a texture atlas in u, v (v grows downward).
struct UvRect {
  double u0, v0, u1, v1;
};

// Corner uv for a quad given clockwise from the lower left as seen from the
// front: lower left, upper left, upper right, lower right.
std::array<std::array<double, 2>, 4> uvCorners(UvRect r);

// An axis-aligned box from `lo` to `hi`; `side(face)` gives the uv rectangle
// of face 0..5 = -x, +x, -y, +y, -z, +z. Faces listed in `skip` are left out.
void addBox(GenMesh& m, V3 lo, V3 hi, uint32_t material, const std::array<UvRect, 6>& uv,
            uint32_t skipMask = 0);

// The unit normal that gives brightness `b` under the game's lights for a mesh
// drawn with y scale `sy`, as close as possible to the direction `n`.
V3 fitLightingNormal(V3 n, double b, double sy);
// Brightness the game's four lights give a unit normal of a mesh with y scale sy.
double gameBrightness(V3 normal, double sy);
