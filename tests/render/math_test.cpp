#include "render/math.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float PI = 3.14159265358979f;

void expectVec(const Vec3& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST(Math, RotationsTurnTheAxesLeftHanded) {
  // Left-handed, row vectors: a positive turn about y takes +z to +x, about
  // x takes +y to +z, about z takes +x to +y.
  expectVec(vec3TransformCoord({0, 0, 1}, matrixRotationY(PI / 2)), 1, 0, 0);
  expectVec(vec3TransformCoord({0, 1, 0}, matrixRotationX(PI / 2)), 0, 0, 1);
  expectVec(vec3TransformCoord({1, 0, 0}, matrixRotationZ(PI / 2)), 0, 1, 0);
}

// Sines, cosines and tangents are those of double precision rounded once, so
// that the Linux and Windows games give the same bits: at these angles
// glibc's single-precision functions are one bit off that (sin 0.095 =
// 0.0948571712, cos 0.85 = 0.659983158, tan 0.349 = 0.363895655). Expected
// values from Python's double-precision math module.
TEST(Math, AnglesTakeDoublePrecisionSinesRoundedOnce) {
  const Matrix y = matrixRotationY(0.095f);
  EXPECT_EQ(y.m[2][0], 0.0948571637f);
  EXPECT_EQ(y.m[0][2], -0.0948571637f);
  const Matrix x = matrixRotationX(0.85f);
  EXPECT_EQ(x.m[1][1], 0.659983099f);
  EXPECT_EQ(x.m[2][2], 0.659983099f);
  // The projection's 1 / tan(fovY / 2) with fovY / 2 = 0.349.
  EXPECT_EQ(matrixPerspectiveFovLH(0.698f, 1.0f, 1.0f, 2.0f).m[1][1], 1.0f / 0.363895684f);
}

TEST(Math, PerspectiveEntriesAndDepthRange) {
  const Matrix p = matrixPerspectiveFovLH(0.7853982f, 1.0f, 0.5f, 100000.0f);
  // 1 / tan(pi/8) = 2.4142136; far / (far - near) = 100000 / 99999.5;
  // -near * far / (far - near) = -0.5000025.
  EXPECT_NEAR(p.m[0][0], 2.4142136f, 1e-5f);
  EXPECT_NEAR(p.m[1][1], 2.4142136f, 1e-5f);
  EXPECT_NEAR(p.m[2][2], 1.000005f, 1e-6f);
  EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
  EXPECT_NEAR(p.m[3][2], -0.5000025f, 1e-6f);
  EXPECT_FLOAT_EQ(p.m[3][3], 0.0f);
  EXPECT_FLOAT_EQ(p.m[0][1], 0.0f);
  EXPECT_FLOAT_EQ(p.m[3][0], 0.0f);
  // The near plane maps to depth 0 and the far plane to depth 1.
  EXPECT_NEAR(vec3TransformCoord({0, 0, 0.5f}, p).z, 0.0f, 1e-6f);
  EXPECT_NEAR(vec3TransformCoord({0, 0, 100000.0f}, p).z, 1.0f, 1e-6f);
}

TEST(Math, LookAtFromBehindTheOriginAlongZ) {
  // Eye (0,0,-10) toward (0,0,1): the axes stay, the world moves 10 forward.
  const Matrix v = matrixLookAtLH({0, 0, -10}, {0, 0, 1}, {0, 1, 0});
  const float expected[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(v.m[r][c], expected[r][c], 1e-6f) << r << c;
  // Looking along +x from the origin: +x is straight ahead, +z is to the left.
  const Matrix side = matrixLookAtLH({0, 0, 0}, {5, 0, 0}, {0, 1, 0});
  expectVec(vec3TransformCoord({3, 0, 0}, side), 0, 0, 3);
  expectVec(vec3TransformCoord({0, 0, 2}, side), -2, 0, 0);
}

TEST(Math, InverseUndoesTheMatrix) {
  // Turned about all three axes, so that no entry of the upper 3 x 3 is 0
  // (without the turn about z, a sign flipped in three of the cofactors went
  // unseen); and that projected and turned again, so that no entry at all is
  // 0 and every one of the 48 terms counts.
  const Matrix turned = matrixMultiply(
      matrixMultiply(matrixRotationZ(0.7f), matrixRotationX(0.3f)),
      matrixMultiply(matrixRotationY(-1.1f),
                     matrixMultiply(matrixScaling(2, 1.2f, 0.5f), matrixTranslation(4, -7, 12))));
  const Matrix projected =
      matrixMultiply(matrixMultiply(turned, matrixPerspectiveFovLH(0.8f, 1.3f, 0.5f, 1000.0f)),
                     matrixRotationX(0.4f));
  for (const Matrix& m : {turned, projected}) {
    Matrix inv;
    ASSERT_TRUE(matrixInverse(m, inv));
    const Matrix id = matrixMultiply(inv, m);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) EXPECT_NEAR(id.m[r][c], r == c ? 1.0f : 0.0f, 1e-4f) << r << c;
  }
  // A point placed by the world matrix comes back to model space.
  const Matrix world = matrixMultiply(matrixScaling(1, 1.2f, 1), matrixTranslation(0, 0.5f, 0));
  expectVec(vec3UnprojectWorld({3, 2.9f, -4}, world), 3, 2, -4);
}

TEST(Math, SingularMatrixIsRefusedAndLeavesTheOutputAlone) {
  Matrix out = matrixTranslation(1, 2, 3);
  EXPECT_FALSE(matrixInverse(matrixScaling(1, 0, 1), out));
  EXPECT_FLOAT_EQ(out.m[3][2], 3.0f);
  // Unprojecting through a singular world gives the point back unchanged.
  expectVec(vec3UnprojectWorld({1, 2, 3}, matrixScaling(0, 0, 0)), 1, 2, 3);
}

TEST(Math, NormaliseKeepsZeroAtZero) {
  expectVec(vec3Normalize({0, 0, 0}), 0, 0, 0);
  expectVec(vec3Normalize({0, -3, 4}), 0, -0.6f, 0.8f);
  const Vec2 z = vec2Normalize({0, 0});
  EXPECT_EQ(z.x, 0.0f);
  EXPECT_EQ(z.y, 0.0f);
  const Vec2 v = vec2Normalize({-6, 8});
  EXPECT_NEAR(v.x, -0.6f, 1e-6f);
  EXPECT_NEAR(v.y, 0.8f, 1e-6f);
}

}  // namespace
