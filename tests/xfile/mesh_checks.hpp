// What every result of the reader must satisfy, whatever the input: a mesh
// whose every index points inside it, or an empty mesh and a message.
#pragma once

#include <string>

#include "xfile/xfile.hpp"

namespace xtest {

// Empty when `m` is sound, else what is wrong with it.
inline std::string meshProblem(const XMesh& m) {
  const size_t faces = m.indices.size() / 3;
  if (m.indices.size() % 3 != 0) return "index count is not a multiple of 3";
  if (m.attributes.size() != faces) return "one attribute per face expected";
  if (m.adjacency.size() != 3 * faces) return "three adjacency entries per face expected";
  if (m.materials.empty() || m.materials.size() > X_MAX_MATERIALS) return "material count";
  for (uint32_t i : m.indices)
    if (i >= m.vertices.size()) return "index past the vertices";
  for (uint32_t a : m.attributes)
    if (a >= m.materials.size()) return "attribute past the materials";
  for (size_t e = 0; e < m.adjacency.size(); ++e) {
    const uint32_t n = m.adjacency[e];
    if (n == NO_ADJACENT_FACE) continue;
    if (n >= faces) return "adjacency past the faces";
    bool back = false;  // the neighbour must name this face in return
    for (int k = 0; k < 3; ++k) back |= m.adjacency[3 * size_t{n} + k] == e / 3;
    if (!back) return "adjacency is not symmetric";
  }
  return {};
}

inline bool isEmpty(const XMesh& m) {
  return m.vertices.empty() && m.indices.empty() && m.attributes.empty() && m.materials.empty() &&
         m.adjacency.empty();
}

}  // namespace xtest
