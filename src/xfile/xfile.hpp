// Reader for DirectX .x mesh files: text, binary (32- and 64-bit floats) and
// MSZIP-compressed. All meshes of all frames are merged into one, with the
// frame transforms applied; materials stay in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.hpp"

constexpr uint32_t X_MAX_MATERIALS = 500;
constexpr uint32_t NO_ADJACENT_FACE = 0xFFFFFFFFu;

struct XMaterial {
  platform::Material material;  // ambient is as the file gives it (zero)
  std::string textureFilename;  // exactly as written; empty when none
};

struct XMesh {
  // One vertex per distinct (position, normal, texture coordinate) corner.
  std::vector<platform::MeshVertex> vertices;
  std::vector<uint32_t> indices;     // three per triangle, winding as written
  std::vector<uint32_t> attributes;  // material index per triangle
  std::vector<XMaterial> materials;
  // Three entries per triangle: the triangle across each edge (v0-v1, v1-v2,
  // v2-v0), or NO_ADJACENT_FACE.
  std::vector<uint32_t> adjacency;
  // A problem the reader worked around, naming the file; empty when none.
  std::string warning;

  uint32_t faceCount() const { return static_cast<uint32_t>(indices.size() / 3); }
};

// Reads `path`. On failure returns false, leaves `out` empty and sets `error`
// to a message that names the file and the problem.
bool readXFile(const std::string& path, XMesh& out, std::string& error);
// The same for bytes already in memory; `name` is used in messages.
bool parseXFile(const uint8_t* data, size_t size, const std::string& name, XMesh& out,
                std::string& error);
