// Image bytes decoded to 8-bit RGBA. Only the formats a modder is offered
// (PNG, JPEG, BMP, TGA) are decoded, and no file, however hostile, makes the
// decoder ask for more memory than an image of its stated size needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Larger sides are refused before decoding; no device we target takes more.
constexpr uint32_t MAX_TEXTURE_SIDE = 4096;

struct DecodedImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;
};

// The most memory one request of the decoder may take for a width x height
// image: twice the largest raw form of it (16-bit RGBA with a filter byte a
// row), as the compressed and decompressed buffers grow by doubling, plus a
// little for tables and palettes.
size_t decodeAllowance(uint32_t width, uint32_t height);

// False with a reason in `error` (without the file's name) when the bytes are
// not a usable image.
bool decodeImage(const uint8_t* data, size_t size, DecodedImage& out, std::string& error);
