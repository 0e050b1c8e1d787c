// RGBA images for textures, procedural noise, and PNG output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
  double r = 0, g = 0, b = 0;  // 0..255
};

inline Rgb mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
inline Rgb scale(Rgb a, double s) { return {a.r * s, a.g * s, a.b * s}; }

// Opaque black: the colour key of the game's texture loader turns it into
// a cut-away texel.
constexpr Rgb CUT{0, 0, 0};

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;

  Image(int w, int h);
  void set(int x, int y, Rgb c);
  Rgb get(int x, int y) const;
  void fillRect(int x0, int y0, int x1, int y1, Rgb c);  // x1, y1 exclusive
  // Marks whether a texel is meant to be cut away (exactly opaque black).
  bool isCut(int x, int y) const;
};

// Smooth value noise in [0, 1], tiling with period `period` (in lattice cells)
// along both axes; `seed` picks the pattern.
double valueNoise(double x, double y, int period, uint32_t seed);
// Sum of octaves of valueNoise, in [0, 1]; tiles with period `period` at the
// first octave.
double fbm(double x, double y, int period, int octaves, uint32_t seed);
// Hash of a lattice point in [0, 1).
double hash01(int x, int y, uint32_t seed);

// Writes an 8-bit RGBA PNG. Without `cutaway`, texels that would be exactly
// black are lifted a step, so the colour key never cuts holes by accident.
bool writePng(const std::string& path, Image img, bool cutaway);
