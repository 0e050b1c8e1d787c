// Plain value types shared by the platform layer and the game. They keep the
// layout and meaning of the classic fixed-function records the game was built
// around: row-vector matrices, RGBA float colours, materials and lights.
#pragma once

#include <cstdint>

namespace platform {

// Result codes keep their classic meanings; callers may ignore them.
enum class Result : int32_t {
  Ok = 0,
  DeviceLost,      // the device is lost and cannot be reset yet
  DeviceNotReset,  // the device is lost and can be reset now
  Failed,
};

inline bool succeeded(Result r) { return r == Result::Ok; }

struct Vec2 {
  float x, y;
};

struct Vec3 {
  float x, y, z;
};

// 4 by 4 matrix for row vectors: p' = p * M, m[row][column].
struct Matrix {
  float m[4][4];
};

struct ColorValue {
  float r, g, b, a;
};

struct Material {
  ColorValue diffuse;
  ColorValue ambient;
  ColorValue specular;
  ColorValue emissive;
  float power;
};

enum class LightType : uint32_t { None = 0, Point = 1, Spot = 2, Directional = 3 };

struct Light {
  LightType type;
  ColorValue diffuse;
  ColorValue specular;
  ColorValue ambient;
  Vec3 position;
  Vec3 direction;
  float range;
  float falloff;
  float attenuation0;
  float attenuation1;
  float attenuation2;
  float theta;
  float phi;
};

struct Rect {
  int32_t left, top, right, bottom;
};

}  // namespace platform
