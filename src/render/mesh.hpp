// A mesh loaded into a slot: its buffers on the device, one subset per
// material, and a copy of its triangles on the CPU for picks.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics.hpp"
#include "render/bvh.hpp"

struct Mesh {
  platform::MeshHandle gpu = 0;
  uint32_t subsetCount = 0;
  std::vector<Vec3> positions;
  std::vector<uint32_t> indices;  // three per face, after optimisation
  std::vector<uint32_t> adjacency;
  TriangleBvh bvh;

  Mesh() = default;
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;
  ~Mesh();  // releases the device buffers
};

// True when the half-line from origin along direction crosses a triangle of
// the mesh (model space), whichever way it faces.
bool intersectMesh(const Mesh& mesh, const Vec3& origin, const Vec3& direction);
