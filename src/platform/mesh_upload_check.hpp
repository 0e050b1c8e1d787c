// The checks every device makes on a mesh before it reaches the GPU, so that
// a bad upload is refused with one message whichever backend draws it.
#pragma once

#include <cstdint>

#include "platform/graphics.hpp"

namespace platform {

constexpr uint32_t MAX_MESH_VERTICES = 1u << 24;
constexpr uint32_t MAX_MESH_FACES = 1u << 24;

// What is wrong with the upload, or null when a device may take it.
inline const char* meshUploadProblem(const MeshUpload& m) {
  if (m.vertexCount == 0 || m.faceCount == 0) return "it has no vertices or no faces";
  if (m.vertexCount > MAX_MESH_VERTICES || m.faceCount > MAX_MESH_FACES)
    return "it has more vertices or faces than the device takes";
  if (!m.vertices || !m.indices || (m.subsetCount > 0 && !m.subsets)) return "its data is missing";
  for (uint64_t i = 0; i < uint64_t{m.faceCount} * 3; ++i)
    if (m.indices[i] >= m.vertexCount) return "a face names a vertex it does not have";
  for (uint32_t s = 0; s < m.subsetCount; ++s)
    if (uint64_t{m.subsets[s].faceStart} + m.subsets[s].faceCount > m.faceCount)
      return "a subset runs past its faces";
  return nullptr;
}

}  // namespace platform
