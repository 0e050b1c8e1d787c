#include "image.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_SHIMS
#include "stb_image_write.h"

namespace {

uint8_t clampByte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l)); }

uint32_t hashInt(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

double smooth(double t) { return t * t * (3 - 2 * t); }

int wrap(int v, int period) { return ((v % period) + period) % period; }

}  // namespace

Image::Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 255) {}

void Image::set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
  p[0] = clampByte(c.r);
  p[1] = clampByte(c.g);
  p[2] = clampByte(c.b);
  p[3] = 255;
}

Rgb Image::get(int x, int y) const {
  x = wrap(x, width);
  y = wrap(y, height);
  const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
  return {double(p[0]), double(p[1]), double(p[2])};
}

void Image::fillRect(int x0, int y0, int x1, int y1, Rgb c) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) set(x, y, c);
}

bool Image::isCut(int x, int y) const {
  const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
  return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

double hash01(int x, int y, uint32_t seed) {
  uint32_t h = hashInt(static_cast<uint32_t>(x) * 0x9E3779B1u ^
                       hashInt(static_cast<uint32_t>(y) + seed * 0x85EBCA77u));
  return (h >> 8) * (1.0 / 16777216.0);
}

double valueNoise(double x, double y, int period, uint32_t seed) {
  int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  double fx = smooth(x - xi), fy = smooth(y - yi);
  int x0 = wrap(xi, period), x1 = wrap(xi + 1, period);
  int y0 = wrap(yi, period), y1 = wrap(yi + 1, period);
  double a = hash01(x0, y0, seed), b = hash01(x1, y0, seed);
  double c = hash01(x0, y1, seed), d = hash01(x1, y1, seed);
  return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

double fbm(double x, double y, int period, int octaves, uint32_t seed) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * valueNoise(x, y, period, seed + o * 131);
    norm += amp;
    amp *= 0.5;
    x *= 2;
    y *= 2;
    period *= 2;
  }
  return sum / norm;
}

bool writePng(const std::string& path, Image img, bool cutaway) {
  if (!cutaway) {
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
      if (img.rgba[i] == 0 && img.rgba[i + 1] == 0 && img.rgba[i + 2] == 0) {
        img.rgba[i] = img.rgba[i + 1] = img.rgba[i + 2] = 1;
      }
    }
  }
  if (!stbi_write_png(path.c_str(), img.width, img.height, 4, img.rgba.data(), img.width * 4)) {
    std::fprintf(stderr, "gen: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
