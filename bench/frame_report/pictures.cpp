#include "pictures.hpp"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

// One frame number, whole text, 1..last.
bool parseFrame(const std::string& text, uint32_t last, uint32_t& frame) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long v = std::strtoul(text.c_str(), nullptr, 10);
  if (v == 0 || v > last) return false;
  frame = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

uint64_t pictureHash(const std::vector<uint8_t>& rgba) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i + 3 < rgba.size(); i += 4)
    for (size_t c = 0; c < 3; ++c) h = (h ^ rgba[i + c]) * 0x100000001b3ull;
  return h;
}

bool parseFrameList(const char* text, uint32_t last, std::vector<uint32_t>& frames) {
  const std::string all = text;
  size_t at = 0;
  for (;;) {
    const size_t comma = all.find(',', at);
    uint32_t frame = 0;
    if (!parseFrame(all.substr(at, comma - at), last, frame)) {
      std::fprintf(stderr, "frame_report: \"%s\" is not a list of frames 1 to %u\n", text, last);
      return false;
    }
    frames.push_back(frame);
    if (comma == std::string::npos) return true;
    at = comma + 1;
  }
}

bool readPictureList(const char* path, uint32_t last, std::vector<PictureRef>& out,
                     std::string& renderer) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "frame_report: cannot read %s\n", path);
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("renderer ", 0) == 0) {
      renderer = line.substr(9);
      continue;
    }
    const size_t space = line.find(' ');
    PictureRef ref;
    const std::string hash = space == std::string::npos ? "" : line.substr(space + 1);
    char* end = nullptr;
    errno = 0;
    ref.hash = std::strtoull(hash.c_str(), &end, 16);
    if (!parseFrame(line.substr(0, space), last, ref.frame) || hash.empty() || hash.size() > 16 ||
        *end != '\0' || errno != 0) {
      std::fprintf(stderr, "%s:%d: not \"FRAME HASH\" with a frame of the drive\n", path, number);
      return false;
    }
    out.push_back(ref);
  }
  return true;
}

bool writePicture(const std::string& dir, uint32_t frame, const std::vector<uint8_t>& rgba,
                  uint32_t width, uint32_t height) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%04u.png", frame);
  const std::string path = dir + name;
  // The back buffer's alpha is whatever the last draw left; the window shows
  // the picture opaque.
  std::vector<uint8_t> opaque = rgba;
  for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
  if (!stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4,
                      opaque.data(), static_cast<int>(width * 4))) {
    std::fprintf(stderr, "frame_report: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}
