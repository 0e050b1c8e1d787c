// Texture files: decoded, stretched to power-of-two sides and colour-keyed
// (every opaque black texel becomes transparent black) before they go to the
// device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.hpp"

constexpr uint32_t COLOR_KEY_OPAQUE_BLACK = 0xFF000000u;

struct LoadedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;
};

// False (with a message in `error`) when the file cannot be read or decoded.
bool loadTextureImage(const std::string& path, LoadedImage& out, std::string& error);
// Creates the texture on the current device; 0 when the file cannot be used.
platform::TextureHandle createTextureFromFile(const std::string& path);
