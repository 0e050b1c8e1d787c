// Texture images: decoded, colour-keyed (every opaque black texel becomes
// transparent black) and stretched to power-of-two sides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct LoadedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;
};

// Decodes, keys and stretches; false (with a reason in `error`) when the
// bytes are not a usable image.
bool imageFromBytes(const uint8_t* data, size_t size, LoadedImage& out, std::string& error);
// The same for a file; the message names the file.
bool loadTextureImage(const std::string& path, LoadedImage& out, std::string& error);
