// Which faces of a draw can reach the screen. A subset's faces are cut into
// runs of consecutive faces with a bounding sphere each; a run wholly outside
// one side of the view is left out of the draw, and the rest go in their
// order. A software rasteriser then transforms and sets up only what can be
// seen: most of a track lies behind the camera or beside the view.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/graphics.hpp"

namespace platform::gl {

// A sphere around the vertices of some faces, in the mesh's own space.
struct SubsetBounds {
  float x = 0, y = 0, z = 0, radius = 0;
};

struct FaceRun {
  uint32_t faceStart = 0, faceCount = 0;
  SubsetBounds bounds;
};

// The largest value over the sphere of sum weights[j] * clip[j], clip being
// a point's clip-space coordinates x, y, z, w.
double sphereMax(const float worldViewProj[16], const SubsetBounds& bounds,
                 const double (&weights)[4]);
// Bounds of the faces of `range`.
SubsetBounds boundsOf(const MeshVertex* vertices, const uint32_t* indices,
                      const SubsetRange& range);
// The subset's faces in runs of consecutive faces, in order.
std::vector<FaceRun> runsOf(const MeshVertex* vertices, const uint32_t* indices,
                            const SubsetRange& range);
// The faces of `runs` that may fall inside the view of the clip-space matrix
// `worldViewProj` (row-major, row vectors), as ranges in order with
// neighbours joined; empty when none may.
void facesInView(const float worldViewProj[16], const std::vector<FaceRun>& runs,
                 std::vector<SubsetRange>& out);

}  // namespace platform::gl
