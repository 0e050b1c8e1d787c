#include "render/image_decode.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// What the decoder may take in one request during the current decode, and
// the largest request it was refused (0 when none).
thread_local size_t allowance = 0;
thread_local size_t refused = 0;

void* cappedMalloc(size_t size) {
  if (size > allowance) {
    if (size > refused) refused = size;
    return nullptr;
  }
  return std::malloc(size);
}

void* cappedRealloc(void* p, size_t size) {
  if (size > allowance) {
    if (size > refused) refused = size;
    return nullptr;
  }
  return std::realloc(p, size);
}

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_MALLOC(size) cappedMalloc(size)
#define STBI_REALLOC(p, size) cappedRealloc(p, size)
#define STBI_FREE(p) std::free(p)
#include <stb_image.h>

namespace {

constexpr size_t TABLE_ALLOWANCE = size_t{1} << 20;

bool startsWith(const uint8_t* data, size_t size, const char* magic, size_t length) {
  return size >= length && std::memcmp(data, magic, length) == 0;
}

// Formats the decoder could read but a texture may not be: named, so the
// modder learns what to convert rather than that the file is "corrupt".
const char* refusedFormat(const uint8_t* data, size_t size) {
  if (startsWith(data, size, "GIF8", 4)) return "GIF";
  if (startsWith(data, size, "8BPS", 4)) return "PSD";
  if (startsWith(data, size, "#?RADIANCE", 10) || startsWith(data, size, "#?RGBE", 6)) return "HDR";
  if (startsWith(data, size, "\x53\x80\xF6\x34", 4)) return "PIC";
  if (size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '7' &&
      (data[2] == '\n' || data[2] == '\r' || data[2] == ' ' || data[2] == '\t'))
    return "PNM";
  return nullptr;
}

uint32_t bigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// A PNG's chunk lengths are checked against the bytes that follow them, so a
// length is never believed beyond the file. Empty IDAT chunks are dropped
// from `copy` (filled only when there is one): they hold nothing, and the
// decoder copies into a buffer it has not made yet when the first is empty.
bool checkPngChunks(const uint8_t* data, size_t size, std::vector<uint8_t>& copy,
                    std::string& error) {
  size_t at = 8;
  while (at + 8 <= size) {
    const uint32_t length = bigEndian32(data + at);
    const std::string type(reinterpret_cast<const char*>(data + at + 4), 4);
    const size_t left = size - at - 8;
    if (length > left || left - length < 4) {
      error = "the PNG's " + type + " chunk claims " + std::to_string(length) +
              " bytes but the file has " + std::to_string(left) + " left";
      return false;
    }
    const size_t next = at + 12 + length;
    if (type == "IDAT" && length == 0) {
      if (copy.empty()) copy.assign(data, data + at);
    } else if (!copy.empty()) {
      copy.insert(copy.end(), data + at, data + next);
    }
    at = next;
    if (type == "IEND") break;
  }
  return true;
}

// Where a JPEG's segments begin (after its start marker, which may follow
// fill bytes, as the decoder reads it), or 0 when the bytes are no JPEG.
size_t jpegStart(const uint8_t* data, size_t size) {
  size_t at = 0;
  while (at < size && data[at] == 0xFF) ++at;
  return at >= 1 && at < size && data[at] == 0xD8 ? at + 1 : 0;
}

// A JPEG's Huffman tables may list at most 256 codes each; the decoder
// believes the counts and writes past its table when they add up to more.
// Segments are walked as the decoder reads them, entropy-coded data skipped.
bool checkJpegTables(const uint8_t* data, size_t size, std::string& error) {
  size_t at = jpegStart(data, size);
  while (at + 4 <= size) {
    const uint8_t marker = data[at + 1];
    if (data[at] != 0xFF || marker == 0xFF || marker == 0x00 || marker == 0x01 || marker == 0xD8 ||
        (marker >= 0xD0 && marker <= 0xD7)) {
      ++at;  // scan data, fill bytes and markers without a segment
      continue;
    }
    if (marker == 0xD9) break;
    const size_t end = std::min(size, at + 2 + ((size_t{data[at + 2]} << 8) | data[at + 3]));
    if (marker == 0xC4) {
      // A table that starts in the segment is read whole, even past its
      // end; past the end of the file the decoder reads zeros.
      for (size_t table = at + 4; table < end;) {
        size_t codes = 0;
        for (size_t i = table + 1; i <= table + 16 && i < size; ++i) codes += data[i];
        if (codes > 256) {
          error = "a JPEG Huffman table lists " + std::to_string(codes) + " codes, more than 256";
          return false;
        }
        table += 17 + codes;
      }
    }
    at = std::max(end, at + 4);
  }
  return true;
}

// The size a PNG's header chunk states, when it has one.
bool pngStatedSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
  if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
  width = bigEndian32(data + 16);
  height = bigEndian32(data + 20);
  return true;
}

bool sizeAllowed(uint32_t width, uint32_t height, std::string& error) {
  if (width >= 1 && height >= 1 && width <= MAX_TEXTURE_SIDE && height <= MAX_TEXTURE_SIDE)
    return true;
  error = "image size " + std::to_string(width) + " x " + std::to_string(height) +
          " is outside 1 to " + std::to_string(MAX_TEXTURE_SIDE);
  return false;
}

}  // namespace

size_t decodeAllowance(uint32_t width, uint32_t height) {
  return 2 * size_t{height} * (1 + size_t{width} * 8) + TABLE_ALLOWANCE;
}

bool decodeImage(const uint8_t* data, size_t size, DecodedImage& out, std::string& error) {
  out = DecodedImage{};
  if (size == 0) {
    error = "the file is empty";
    return false;
  }
  if (const char* format = refusedFormat(data, size)) {
    error = std::string("a ") + format + " image; textures must be PNG, JPEG, BMP or TGA";
    return false;
  }
  std::vector<uint8_t> copy;
  if (startsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) {
    // Checked first: the decoder calls a PNG too large for it "not a PNG".
    uint32_t statedW, statedH;
    if (pngStatedSize(data, size, statedW, statedH) && !sizeAllowed(statedW, statedH, error))
      return false;
    if (!checkPngChunks(data, size, copy, error)) return false;
    if (!copy.empty()) {
      data = copy.data();
      size = copy.size();
    }
  } else if (jpegStart(data, size) != 0 && !checkJpegTables(data, size, error)) {
    return false;
  }
  // stb_image takes an int length; every file larger than that is refused
  // long before, by the texture loader's file limit.
  const int length = static_cast<int>(std::min<size_t>(size, 0x7FFFFFFF));
  int w = 0, h = 0, channels = 0;
  allowance = TABLE_ALLOWANCE;
  refused = 0;
  if (!stbi_info_from_memory(data, length, &w, &h, &channels)) {
    error = std::string("not a PNG, JPEG, BMP or TGA image (") + stbi_failure_reason() + ")";
    return false;
  }
  if (!sizeAllowed(static_cast<uint32_t>(std::max(w, 0)), static_cast<uint32_t>(std::max(h, 0)),
                   error))
    return false;
  allowance = decodeAllowance(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
  const int statedW = w, statedH = h;
  stbi_uc* pixels = stbi_load_from_memory(data, length, &w, &h, &channels, 4);
  allowance = 0;
  if (pixels == nullptr) {
    if (refused != 0)
      error = "decoding would take " + std::to_string(refused) + " bytes at once, more than a " +
              std::to_string(statedW) + " x " + std::to_string(statedH) + " image needs";
    else
      error = std::string("cannot decode the image (") + stbi_failure_reason() + ")";
    return false;
  }
  out.width = static_cast<uint32_t>(w);
  out.height = static_cast<uint32_t>(h);
  out.rgba.assign(pixels, pixels + size_t{out.width} * out.height * 4);
  stbi_image_free(pixels);
  return true;
}
