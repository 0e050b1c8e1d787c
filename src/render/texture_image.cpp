#include "render/texture_image.hpp"

#include <algorithm>
#include <cmath>

#include "platform/file_read.hpp"
#include "render/image_decode.hpp"

namespace {

// The largest file a texture of the largest size can legitimately be: its
// raw 16-bit RGBA form stored without compression, with room to spare.
const size_t MAX_TEXTURE_FILE = decodeAllowance(MAX_TEXTURE_SIDE, MAX_TEXTURE_SIDE);

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

bool imageFromBytes(const uint8_t* data, size_t size, LoadedImage& out, std::string& error) {
  out = LoadedImage{};
  DecodedImage decoded;
  if (!decodeImage(data, size, decoded, error)) return false;
  std::vector<uint8_t>& rgba = decoded.rgba;
  // Key before stretching, so the key sees the file's own texels; the
  // stretched edges of a keyed area then fade out instead of turning grey.
  for (size_t i = 0; i < rgba.size(); i += 4)
    if (rgba[i + 3] == 255 && rgba[i] == 0 && rgba[i + 1] == 0 && rgba[i + 2] == 0) rgba[i + 3] = 0;

  const uint32_t sw = decoded.width, sh = decoded.height;
  const uint32_t dw = nextPowerOfTwo(sw), dh = nextPowerOfTwo(sh);
  out.width = dw;
  out.height = dh;
  out.rgba = (dw == sw && dh == sh) ? std::move(rgba) : stretch(rgba, sw, sh, dw, dh);
  return true;
}

bool loadTextureImage(const std::string& path, LoadedImage& out, std::string& error) {
  out = LoadedImage{};
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, MAX_TEXTURE_FILE, bytes, error)) return false;
  if (imageFromBytes(bytes.data(), bytes.size(), out, error)) return true;
  error = path + ": " + error;
  return false;
}
