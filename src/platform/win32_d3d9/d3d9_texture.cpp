// Textures: the game's r, g, b, a texels as a managed-pool A8R8G8B8 texture
// with a full mip chain, each level a 2x2 box filter of the one above.
#include <algorithm>
#include <cstdio>

#include "platform/win32_d3d9/d3d9_device.hpp"

namespace platform::win32_d3d9 {

namespace {

// The next level of the chain: each texel the rounded mean of the 2x2 block
// above it; an odd or single row or column is counted twice.
std::vector<uint8_t> halve(const std::vector<uint8_t>& src, uint32_t sw, uint32_t sh, uint32_t& dw,
                           uint32_t& dh) {
  dw = std::max(1u, sw / 2);
  dh = std::max(1u, sh / 2);
  std::vector<uint8_t> dst(size_t{dw} * dh * 4);
  for (uint32_t y = 0; y < dh; ++y) {
    const uint32_t y0 = std::min(2 * y, sh - 1), y1 = std::min(2 * y + 1, sh - 1);
    for (uint32_t x = 0; x < dw; ++x) {
      const uint32_t x0 = std::min(2 * x, sw - 1), x1 = std::min(2 * x + 1, sw - 1);
      for (int c = 0; c < 4; ++c) {
        const uint32_t sum =
            src[(size_t{y0} * sw + x0) * 4 + c] + src[(size_t{y0} * sw + x1) * 4 + c] +
            src[(size_t{y1} * sw + x0) * 4 + c] + src[(size_t{y1} * sw + x1) * 4 + c];
        dst[(size_t{y} * dw + x) * 4 + c] = static_cast<uint8_t>((sum + 2) / 4);
      }
    }
  }
  return dst;
}

// One level's r, g, b, a texels into the locked A8R8G8B8 surface (b, g, r, a
// in memory).
bool writeLevel(IDirect3DTexture9* texture, UINT level, const std::vector<uint8_t>& rgba,
                uint32_t w, uint32_t h) {
  D3DLOCKED_RECT locked{};
  if (FAILED(texture->LockRect(level, &locked, nullptr, 0))) return false;
  for (uint32_t y = 0; y < h; ++y) {
    uint8_t* row = static_cast<uint8_t*>(locked.pBits) + size_t{y} * locked.Pitch;
    const uint8_t* from = rgba.data() + size_t{y} * w * 4;
    for (uint32_t x = 0; x < w; ++x) {
      row[x * 4 + 0] = from[x * 4 + 2];
      row[x * 4 + 1] = from[x * 4 + 1];
      row[x * 4 + 2] = from[x * 4 + 0];
      row[x * 4 + 3] = from[x * 4 + 3];
    }
  }
  texture->UnlockRect(level);
  return true;
}

}  // namespace

IDirect3DTexture9* D3d9Device::textureOf(TextureHandle texture) const {
  if (texture == 0 || texture > textures_.size()) return nullptr;
  return textures_[texture - 1];
}

TextureHandle D3d9Device::createTexture(const Image& image) {
  const uint32_t maxW = caps_.MaxTextureWidth, maxH = caps_.MaxTextureHeight;
  if (!image.rgba || image.width == 0 || image.height == 0 || image.width > maxW ||
      image.height > maxH) {
    std::fprintf(stderr, "riderozad: texture not created: %ux%u is not between 1x1 and %lux%lu\n",
                 image.width, image.height, static_cast<unsigned long>(maxW),
                 static_cast<unsigned long>(maxH));
    return 0;
  }
  UINT levels = 1;
  for (uint32_t side = std::max(image.width, image.height); side > 1; side /= 2) ++levels;
  IDirect3DTexture9* texture = nullptr;
  HRESULT hr = device_->CreateTexture(image.width, image.height, levels, 0, D3DFMT_A8R8G8B8,
                                      D3DPOOL_MANAGED, &texture, nullptr);
  if (SUCCEEDED(hr)) {
    uint32_t w = image.width, h = image.height;
    std::vector<uint8_t> level(image.rgba, image.rgba + size_t{w} * h * 4);
    for (UINT i = 0; i < levels && SUCCEEDED(hr); ++i) {
      if (i > 0) level = halve(level, w, h, w, h);
      if (!writeLevel(texture, i, level, w, h)) hr = E_FAIL;
    }
  }
  if (FAILED(hr)) {
    std::fprintf(stderr, "riderozad: texture not created: the device refused %ux%u (0x%08lx)\n",
                 image.width, image.height, static_cast<unsigned long>(hr));
    if (texture) texture->Release();
    return 0;
  }
  return addToSlots(textures_, texture);
}

void D3d9Device::releaseTexture(TextureHandle handle) {
  IDirect3DTexture9* texture = textureOf(handle);
  if (!texture) return;
  // Unbound first, so the stage never points at a released texture.
  IDirect3DBaseTexture9* bound = nullptr;
  if (SUCCEEDED(device_->GetTexture(0, &bound)) && bound) {
    if (bound == texture) device_->SetTexture(0, nullptr);
    bound->Release();
  }
  texture->Release();
  textures_[handle - 1] = nullptr;
}

}  // namespace platform::win32_d3d9
