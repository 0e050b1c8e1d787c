#include "platform/gl/gl_face_runs.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::gl {

namespace {

constexpr uint32_t RUN_FACES = 64;

// A run is left out only when it lies beyond a side of the view by this
// share of w: far more than the half-pixel shift of the vertex shader
// (1/768 of w at most here) and the rounding of the transform.
constexpr double VIEW_SLACK = 1.0 / 64;

}  // namespace

double sphereMax(const float m[16], const SubsetBounds& b, const double (&weights)[4]) {
  double a[4];
  for (int row = 0; row < 4; ++row) {
    a[row] = 0;
    for (int column = 0; column < 4; ++column)
      a[row] += weights[column] * static_cast<double>(m[row * 4 + column]);
  }
  const double atCentre = a[0] * b.x + a[1] * b.y + a[2] * b.z + a[3];
  return atCentre + b.radius * std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
}

SubsetBounds boundsOf(const MeshVertex* vertices, const uint32_t* indices,
                      const SubsetRange& range) {
  float lo[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                 std::numeric_limits<float>::max()};
  float hi[3] = {-lo[0], -lo[1], -lo[2]};
  const uint32_t* first = indices + size_t{range.faceStart} * 3;
  const uint32_t* last = first + size_t{range.faceCount} * 3;
  for (const uint32_t* i = first; i != last; ++i) {
    const Vec3& p = vertices[*i].position;
    const float c[3] = {p.x, p.y, p.z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], c[k]);
      hi[k] = std::max(hi[k], c[k]);
    }
  }
  SubsetBounds b;
  if (first == last) return b;
  b.x = lo[0] + (hi[0] - lo[0]) / 2;
  b.y = lo[1] + (hi[1] - lo[1]) / 2;
  b.z = lo[2] + (hi[2] - lo[2]) / 2;
  double radius = 0;
  for (const uint32_t* i = first; i != last; ++i) {
    const Vec3& p = vertices[*i].position;
    const double dx = double{p.x} - b.x, dy = double{p.y} - b.y, dz = double{p.z} - b.z;
    radius = std::max(radius, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  // Rounded up, so that every vertex lies inside.
  b.radius = std::nextafter(static_cast<float>(radius), std::numeric_limits<float>::infinity());
  return b;
}

std::vector<FaceRun> runsOf(const MeshVertex* vertices, const uint32_t* indices,
                            const SubsetRange& range) {
  std::vector<FaceRun> runs;
  for (uint32_t done = 0; done < range.faceCount; done += RUN_FACES) {
    FaceRun run;
    run.faceStart = range.faceStart + done;
    run.faceCount = std::min(RUN_FACES, range.faceCount - done);
    run.bounds = boundsOf(vertices, indices, {run.faceStart, run.faceCount});
    runs.push_back(run);
  }
  return runs;
}

// A face is drawn only where -w <= x, y <= w and 0 <= z <= w. A run all of
// whose sphere lies beyond one of those sides has no point inside the view:
// clipping leaves nothing of its faces, so it makes no fragment and leaving
// it out changes no pixel. A weight row s is such a side where s . clip > 0
// all over the sphere.
void facesInView(const float worldViewProj[16], const std::vector<FaceRun>& runs,
                 std::vector<SubsetRange>& out) {
  constexpr double k = 1 + VIEW_SLACK;
  constexpr double beyond[6][4] = {{1, 0, 0, -k},  {-1, 0, 0, -k}, {0, 1, 0, -k},
                                   {0, -1, 0, -k}, {0, 0, 1, -k},  {0, 0, -1, -VIEW_SLACK}};
  out.clear();
  for (const FaceRun& run : runs) {
    bool outside = false;
    for (const auto& side : beyond) {
      const double flipped[4] = {-side[0], -side[1], -side[2], -side[3]};
      if (sphereMax(worldViewProj, run.bounds, flipped) < 0) outside = true;
    }
    if (outside) continue;
    if (!out.empty() && out.back().faceStart + out.back().faceCount == run.faceStart)
      out.back().faceCount += run.faceCount;
    else
      out.push_back({run.faceStart, run.faceCount});
  }
}

}  // namespace platform::gl
