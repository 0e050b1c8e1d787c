// The track pick: a half-line against triangles, both faces counting, and the
// hierarchy answering exactly as the pass over every triangle.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "render/bvh.hpp"

namespace {

const Vec3 ORIGIN{0.0f, 0.0f, 0.0f};
const Vec3 UP{0.0f, 1.0f, 0.0f};

// Asks the single-triangle test, the pass over all faces and the hierarchy,
// which must agree.
bool picks(const std::vector<Vec3>& corners, const Vec3& origin, const Vec3& direction) {
  std::vector<uint32_t> indices(corners.size());
  for (uint32_t i = 0; i < indices.size(); ++i) indices[i] = i;
  const bool pass = rayHitsAnyTriangle(corners, indices, origin, direction);
  TriangleBvh bvh;
  bvh.build(corners, indices);
  EXPECT_EQ(bvh.anyHit(origin, direction), pass);
  if (corners.size() == 3) {
    EXPECT_EQ(rayHitsTriangle(origin, direction, corners[0], corners[1], corners[2]), pass);
  }
  return pass;
}

std::vector<Vec3> flatTriangle(float y, bool clockwise) {
  const Vec3 a{-1.0f, y, -1.0f}, b{1.0f, y, -1.0f}, c{0.0f, y, 1.0f};
  return clockwise ? std::vector<Vec3>{a, c, b} : std::vector<Vec3>{a, b, c};
}

TEST(TrackPick, ATriangleAboveHitsAndOneBelowNeverDoes) {
  for (bool clockwise : {false, true}) {
    SCOPED_TRACE(clockwise ? "clockwise" : "counter-clockwise");
    EXPECT_TRUE(picks(flatTriangle(2.0f, clockwise), ORIGIN, UP));
    EXPECT_TRUE(picks(flatTriangle(1e-4f, clockwise), ORIGIN, UP));
    EXPECT_TRUE(picks(flatTriangle(0.0f, clockwise), ORIGIN, UP));  // t = 0 counts
    EXPECT_FALSE(picks(flatTriangle(-1e-4f, clockwise), ORIGIN, UP));
    EXPECT_FALSE(picks(flatTriangle(-2.0f, clockwise), ORIGIN, UP));
    // Looking down instead, the answers swap.
    EXPECT_FALSE(picks(flatTriangle(2.0f, clockwise), ORIGIN, {0.0f, -1.0f, 0.0f}));
    EXPECT_TRUE(picks(flatTriangle(-2.0f, clockwise), ORIGIN, {0.0f, -1.0f, 0.0f}));
  }
}

TEST(TrackPick, DirectionLengthEdgesAndParallelRays) {
  // The direction is not normalised: any positive multiple gives the same answer.
  EXPECT_TRUE(picks(flatTriangle(50.0f, false), ORIGIN, {0.0f, 0.001f, 0.0f}));
  EXPECT_TRUE(picks(flatTriangle(50.0f, false), ORIGIN, {0.0f, 1000.0f, 0.0f}));
  // An oblique ray: from (0,0,0) along (1,1,0) it meets y = 3 at x = 3.
  const std::vector<Vec3> far = {{2.0f, 3.0f, -1.0f}, {4.0f, 3.0f, -1.0f}, {3.0f, 3.0f, 1.0f}};
  EXPECT_TRUE(picks(far, ORIGIN, {1.0f, 1.0f, 0.0f}));
  EXPECT_FALSE(picks(far, ORIGIN, {-1.0f, 1.0f, 0.0f}));
  // Exactly under an edge and under a corner: the boundary belongs to the triangle.
  EXPECT_TRUE(picks({{0.0f, 1.0f, -1.0f}, {0.0f, 1.0f, 1.0f}, {2.0f, 1.0f, 0.0f}}, ORIGIN, UP));
  EXPECT_TRUE(picks({{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 1.0f}}, ORIGIN, UP));
  EXPECT_FALSE(picks({{0.01f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {0.01f, 1.0f, 1.0f}}, ORIGIN, UP));
  // A vertical wall that holds the ray is parallel to it: no crossing.
  EXPECT_FALSE(picks({{0.0f, -1.0f, -1.0f}, {0.0f, 5.0f, -1.0f}, {0.0f, 1.0f, 3.0f}}, ORIGIN, UP));
  // A zero direction and a degenerate triangle never hit.
  EXPECT_FALSE(picks(flatTriangle(2.0f, false), ORIGIN, {0.0f, 0.0f, 0.0f}));
  EXPECT_FALSE(picks({{0.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {2.0f, 1.0f, 0.0f}}, ORIGIN, UP));
}

TEST(TrackPick, EmptyAndBrokenMeshesNeverHitOrCrash) {
  TriangleBvh bvh;
  EXPECT_TRUE(bvh.empty());
  EXPECT_FALSE(bvh.anyHit(ORIGIN, UP));
  bvh.build({}, {});
  EXPECT_FALSE(bvh.anyHit(ORIGIN, UP));
  // Indices past the positions and a short tail are left out by both.
  const std::vector<Vec3> corners = flatTriangle(2.0f, false);
  EXPECT_FALSE(rayHitsAnyTriangle(corners, {0, 1, 7, 0, 1}, ORIGIN, UP));
  bvh.build(corners, {0, 1, 7, 0, 1});
  EXPECT_FALSE(bvh.anyHit(ORIGIN, UP));
  // Not-a-number and infinite corners: whatever the test says, both agree.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<Vec3> odd = flatTriangle(5.0f, false);
  odd.insert(odd.end(), {{nan, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 1.0f}});
  odd.insert(odd.end(), {{-inf, 1.0f, -1.0f}, {inf, 1.0f, -1.0f}, {0.0f, 1.0f, inf}});
  for (const Vec3& o : {ORIGIN, Vec3{30.0f, 0.0f, 0.0f}, Vec3{0.2f, 2.0f, 0.1f}}) picks(odd, o, UP);
  EXPECT_FALSE(picks(flatTriangle(2.0f, false), {nan, 0.0f, 0.0f}, UP));
}

TEST(TrackPick, TheHierarchyAnswersExactlyAsThePassOverAllFaces) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<float> place(-100.0f, 100.0f), size(-3.0f, 3.0f),
      unit(-1.0f, 1.0f);
  std::vector<Vec3> positions;
  std::vector<uint32_t> indices;
  for (uint32_t t = 0; t < 100000; ++t) {
    const Vec3 centre{place(rng), place(rng) * 0.1f, place(rng)};
    for (int k = 0; k < 3; ++k) {
      indices.push_back(static_cast<uint32_t>(positions.size()));
      positions.push_back({centre.x + size(rng), centre.y + size(rng), centre.z + size(rng)});
    }
  }
  TriangleBvh bvh;
  bvh.build(positions, indices);
  int hits = 0, disagreements = 0;
  for (int r = 0; r < 10000; ++r) {
    const Vec3 origin{place(rng), place(rng) * 0.2f, place(rng)};
    // Half the rays are the game's vertical probes, half point anywhere.
    const Vec3 direction = r % 2 == 0 ? Vec3{0.0f, r % 4 == 0 ? 1.0f : -1.0f, 0.0f}
                                      : Vec3{unit(rng), unit(rng), unit(rng)};
    const bool pass = rayHitsAnyTriangle(positions, indices, origin, direction);
    hits += pass;
    disagreements += bvh.anyHit(origin, direction) != pass;
  }
  EXPECT_EQ(disagreements, 0);
  // Both answers must be common for the comparison to mean something.
  EXPECT_GT(hits, 2000);
  EXPECT_LT(hits, 8000);
}

}  // namespace
