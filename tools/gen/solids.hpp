// Shapes shared by the vehicle and cockpit models.
#pragma once

#include <array>
#include <functional>

#include "mesh_builder.hpp"

// A deformed box: corner i has x side (i & 1), y side (i & 2) and z side
// (i & 4), each 0 for the low end. Face uv comes from `uv(face, corner)`, with
// faces numbered as for addBox (-x, +x, -y, +y, -z, +z).
using FaceUv = std::function<std::array<double, 2>(int face, V3 corner)>;
void addHexahedron(GenMesh& m, const std::array<V3, 8>& c, uint32_t material, const FaceUv& uv,
                   uint32_t skipMask = 0);

// A cylinder along x from x0 to x1 around (y, z) with `sides` sides: the tread
// maps u round the rim and v across it into `tread`; the caps map their disc
// into `cap`.
void addWheel(GenMesh& m, double x0, double x1, double y, double z, double radius, int sides,
              uint32_t material, UvRect tread, UvRect cap);
