// Matrix and vector helpers with the classic utility library's formulas: row
// vectors (p' = p * M), left-handed, single precision.
#pragma once

#include "platform/types.hpp"

using platform::Matrix;
using platform::Vec2;
using platform::Vec3;

// Sine, cosine and tangent of a single-precision angle, worked out in double
// precision and rounded once. The C libraries' single-precision versions
// differ in the last bit between glibc and Windows; these give the same bits
// on both, so both games compute the same.
float singleSin(float angle);
float singleCos(float angle);
float singleTan(float angle);

Matrix matrixIdentity();
Matrix matrixRotationX(float angle);
Matrix matrixRotationY(float angle);
Matrix matrixRotationZ(float angle);
Matrix matrixScaling(float sx, float sy, float sz);
Matrix matrixTranslation(float x, float y, float z);
// a * b: a point is transformed by a first, then by b.
Matrix matrixMultiply(const Matrix& a, const Matrix& b);
// False (and `out` untouched) when m is singular.
bool matrixInverse(const Matrix& m, Matrix& out);
Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up);

// (v, 1) * m, divided by the resulting w.
Vec3 vec3TransformCoord(const Vec3& v, const Matrix& m);
// v transformed by the inverse of `world`; v itself when world is singular.
Vec3 vec3UnprojectWorld(const Vec3& v, const Matrix& world);
// A zero vector stays zero.
Vec3 vec3Normalize(const Vec3& v);
Vec2 vec2Normalize(const Vec2& v);
Vec3 vec3Cross(const Vec3& a, const Vec3& b);
float vec3Dot(const Vec3& a, const Vec3& b);
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
