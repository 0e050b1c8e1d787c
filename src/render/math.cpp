#include "render/math.hpp"

#include <cmath>

float singleSin(float angle) { return static_cast<float>(std::sin(double{angle})); }
float singleCos(float angle) { return static_cast<float>(std::cos(double{angle})); }
float singleTan(float angle) { return static_cast<float>(std::tan(double{angle})); }

Matrix matrixIdentity() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

Matrix matrixRotationX(float angle) {
  const float c = singleCos(angle), s = singleSin(angle);
  Matrix m = matrixIdentity();
  m.m[1][1] = c;
  m.m[1][2] = s;
  m.m[2][1] = -s;
  m.m[2][2] = c;
  return m;
}

Matrix matrixRotationY(float angle) {
  const float c = singleCos(angle), s = singleSin(angle);
  Matrix m = matrixIdentity();
  m.m[0][0] = c;
  m.m[0][2] = -s;
  m.m[2][0] = s;
  m.m[2][2] = c;
  return m;
}

Matrix matrixRotationZ(float angle) {
  const float c = singleCos(angle), s = singleSin(angle);
  Matrix m = matrixIdentity();
  m.m[0][0] = c;
  m.m[0][1] = s;
  m.m[1][0] = -s;
  m.m[1][1] = c;
  return m;
}

Matrix matrixScaling(float sx, float sy, float sz) {
  Matrix m = matrixIdentity();
  m.m[0][0] = sx;
  m.m[1][1] = sy;
  m.m[2][2] = sz;
  return m;
}

Matrix matrixTranslation(float x, float y, float z) {
  Matrix m = matrixIdentity();
  m.m[3][0] = x;
  m.m[3][1] = y;
  m.m[3][2] = z;
  return m;
}

Matrix matrixMultiply(const Matrix& a, const Matrix& b) {
  Matrix out{};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] +
                    a.m[r][3] * b.m[3][c];
  return out;
}

bool matrixInverse(const Matrix& in, Matrix& out) {
  // Cofactor expansion over 2x2 minors of the upper and lower row pairs.
  const float(*m)[4] = in.m;
  const float s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1];
  const float s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
  const float s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3];
  const float s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
  const float s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3];
  const float s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
  const float c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3];
  const float c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
  const float c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2];
  const float c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
  const float c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2];
  const float c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];
  const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
  if (det == 0.0f || !std::isfinite(det)) return false;
  const float k = 1.0f / det;
  Matrix r;
  r.m[0][0] = (m[1][1] * c5 - m[1][2] * c4 + m[1][3] * c3) * k;
  r.m[0][1] = (-m[0][1] * c5 + m[0][2] * c4 - m[0][3] * c3) * k;
  r.m[0][2] = (m[3][1] * s5 - m[3][2] * s4 + m[3][3] * s3) * k;
  r.m[0][3] = (-m[2][1] * s5 + m[2][2] * s4 - m[2][3] * s3) * k;
  r.m[1][0] = (-m[1][0] * c5 + m[1][2] * c2 - m[1][3] * c1) * k;
  r.m[1][1] = (m[0][0] * c5 - m[0][2] * c2 + m[0][3] * c1) * k;
  r.m[1][2] = (-m[3][0] * s5 + m[3][2] * s2 - m[3][3] * s1) * k;
  r.m[1][3] = (m[2][0] * s5 - m[2][2] * s2 + m[2][3] * s1) * k;
  r.m[2][0] = (m[1][0] * c4 - m[1][1] * c2 + m[1][3] * c0) * k;
  r.m[2][1] = (-m[0][0] * c4 + m[0][1] * c2 - m[0][3] * c0) * k;
  r.m[2][2] = (m[3][0] * s4 - m[3][1] * s2 + m[3][3] * s0) * k;
  r.m[2][3] = (-m[2][0] * s4 + m[2][1] * s2 - m[2][3] * s0) * k;
  r.m[3][0] = (-m[1][0] * c3 + m[1][1] * c1 - m[1][2] * c0) * k;
  r.m[3][1] = (m[0][0] * c3 - m[0][1] * c1 + m[0][2] * c0) * k;
  r.m[3][2] = (-m[3][0] * s3 + m[3][1] * s1 - m[3][2] * s0) * k;
  r.m[3][3] = (m[2][0] * s3 - m[2][1] * s1 + m[2][2] * s0) * k;
  out = r;
  return true;
}

Matrix matrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
  const float t = singleTan(fovY / 2.0f);
  Matrix m{};
  m.m[0][0] = 1.0f / (aspect * t);
  m.m[1][1] = 1.0f / t;
  m.m[2][2] = zFar / (zFar - zNear);
  m.m[2][3] = 1.0f;
  m.m[3][2] = (zFar * zNear) / (zNear - zFar);
  return m;
}

Matrix matrixLookAtLH(const Vec3& eye, const Vec3& at, const Vec3& up) {
  const Vec3 z = vec3Normalize(at - eye);
  const Vec3 x = vec3Normalize(vec3Cross(up, z));
  const Vec3 y = vec3Cross(z, x);
  Matrix m = matrixIdentity();
  m.m[0][0] = x.x;
  m.m[1][0] = x.y;
  m.m[2][0] = x.z;
  m.m[0][1] = y.x;
  m.m[1][1] = y.y;
  m.m[2][1] = y.z;
  m.m[0][2] = z.x;
  m.m[1][2] = z.y;
  m.m[2][2] = z.z;
  m.m[3][0] = -vec3Dot(x, eye);
  m.m[3][1] = -vec3Dot(y, eye);
  m.m[3][2] = -vec3Dot(z, eye);
  return m;
}

Vec3 vec3TransformCoord(const Vec3& v, const Matrix& m) {
  const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
  const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
  const float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
  const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
  return {x / w, y / w, z / w};
}

Vec3 vec3UnprojectWorld(const Vec3& v, const Matrix& world) {
  Matrix inv;
  if (!matrixInverse(world, inv)) return v;
  return vec3TransformCoord(v, inv);
}

Vec3 vec3Normalize(const Vec3& v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (len == 0.0f) return {0, 0, 0};
  return {v.x / len, v.y / len, v.z / len};
}

Vec2 vec2Normalize(const Vec2& v) {
  const float len = std::sqrt(v.x * v.x + v.y * v.y);
  if (len == 0.0f) return {0, 0};
  return {v.x / len, v.y / len};
}

Vec3 vec3Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float vec3Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
