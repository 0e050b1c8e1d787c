#include "render/texture_load.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "render/graphics_device.hpp"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

namespace {

// Larger sides than this are refused before decoding: a hostile header must
// not make us allocate gigabytes, and no device we target takes more.
constexpr int MAX_TEXTURE_SIDE = 4096;

uint32_t nextPowerOfTwo(uint32_t v) {
  uint32_t p = 1;
  while (p < v) p <<= 1;
  return p;
}

// Bilinear stretch with texel centres lined up, clamped at the edges. Only
// ever enlarges (to the next power of two), so no wider filter is needed.
std::vector<uint8_t> stretch(const std::vector<uint8_t>& src, uint32_t sw, uint32_t sh, uint32_t dw,
                             uint32_t dh) {
  std::vector<uint8_t> dst(size_t{dw} * dh * 4);
  const float kx = static_cast<float>(sw) / dw, ky = static_cast<float>(sh) / dh;
  for (uint32_t y = 0; y < dh; ++y) {
    const float fy = std::clamp((y + 0.5f) * ky - 0.5f, 0.0f, static_cast<float>(sh - 1));
    const uint32_t y0 = static_cast<uint32_t>(fy), y1 = std::min(y0 + 1, sh - 1);
    const float ty = fy - y0;
    for (uint32_t x = 0; x < dw; ++x) {
      const float fx = std::clamp((x + 0.5f) * kx - 0.5f, 0.0f, static_cast<float>(sw - 1));
      const uint32_t x0 = static_cast<uint32_t>(fx), x1 = std::min(x0 + 1, sw - 1);
      const float tx = fx - x0;
      const uint8_t* p00 = &src[(size_t{y0} * sw + x0) * 4];
      const uint8_t* p01 = &src[(size_t{y0} * sw + x1) * 4];
      const uint8_t* p10 = &src[(size_t{y1} * sw + x0) * 4];
      const uint8_t* p11 = &src[(size_t{y1} * sw + x1) * 4];
      uint8_t* out = &dst[(size_t{y} * dw + x) * 4];
      for (int c = 0; c < 4; ++c) {
        const float top = p00[c] + (p01[c] - p00[c]) * tx;
        const float bottom = p10[c] + (p11[c] - p10[c]) * tx;
        out[c] = static_cast<uint8_t>(std::lround(top + (bottom - top) * ty));
      }
    }
  }
  return dst;
}

}  // namespace

bool loadTextureImage(const std::string& path, LoadedImage& out, std::string& error) {
  out = LoadedImage{};
  int w = 0, h = 0, channels = 0;
  if (!stbi_info(path.c_str(), &w, &h, &channels)) {
    error = path + ": cannot read the image (" + stbi_failure_reason() + ")";
    return false;
  }
  if (w <= 0 || h <= 0 || w > MAX_TEXTURE_SIDE || h > MAX_TEXTURE_SIDE) {
    error = path + ": image size " + std::to_string(w) + " x " + std::to_string(h) +
            " is outside 1 to " + std::to_string(MAX_TEXTURE_SIDE);
    return false;
  }
  stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
  if (pixels == nullptr) {
    error = path + ": cannot decode the image (" + stbi_failure_reason() + ")";
    return false;
  }
  const uint32_t sw = static_cast<uint32_t>(w), sh = static_cast<uint32_t>(h);
  std::vector<uint8_t> rgba(pixels, pixels + size_t{sw} * sh * 4);
  stbi_image_free(pixels);

  // Key before stretching, so the key sees the file's own texels; the
  // stretched edges of a keyed area then fade out instead of turning grey.
  for (size_t i = 0; i < rgba.size(); i += 4)
    if (rgba[i + 3] == 255 && rgba[i] == 0 && rgba[i + 1] == 0 && rgba[i + 2] == 0) rgba[i + 3] = 0;

  const uint32_t dw = nextPowerOfTwo(sw), dh = nextPowerOfTwo(sh);
  out.width = dw;
  out.height = dh;
  out.rgba = (dw == sw && dh == sh) ? std::move(rgba) : stretch(rgba, sw, sh, dw, dh);
  return true;
}

platform::TextureHandle createTextureFromFile(const std::string& path) {
  if (device == nullptr) {
    std::fprintf(stderr, "%s: no graphics device to create the texture on\n", path.c_str());
    return 0;
  }
  LoadedImage image;
  std::string error;
  if (!loadTextureImage(path, image, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 0;
  }
  return device->createTexture({image.width, image.height, image.rgba.data()});
}
