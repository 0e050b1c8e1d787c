// The page's font rasterizer: stb_truetype over a font file in the game's
// data package, so that the title texts look the same in every browser.
#pragma once

#include <stb_truetype.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl/gl_surface.hpp"

namespace platform::web_gl {

// The face the data package carries: DejaVu Sans, the face the desktop game
// gets from fontconfig on Debian.
constexpr const char* FONT_FILE = "/fonts/DejaVuSans.ttf";

class StbFonts : public gl::FontRasterizer {
 public:
  uint32_t openFace(int32_t height, uint32_t weight, const char* face, int32_t& lineSkip) override;
  void closeFace(uint32_t face) override;
  bool renderLine(uint32_t face, const std::string& text, int32_t maxSide,
                  gl::LineBitmap& out) override;
  void shutDown() override;

 private:
  struct Face {
    float scale = 0;                                      // pixels per font unit
    int32_t ascent = 0;                                   // pixels above the baseline
    int32_t height = 0;                                   // pixels of a line's bitmap
    explicit operator bool() const { return scale > 0; }  // false: a free slot
  };
  bool loadFile();

  std::vector<uint8_t> file_;  // empty until the first face is opened
  stbtt_fontinfo info_{};
  std::vector<Face> faces_;  // face = index + 1
};

}  // namespace platform::web_gl
