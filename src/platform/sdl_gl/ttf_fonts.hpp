// The desktop's font rasterizer: SDL2_ttf faces found through fontconfig.
#pragma once

#include <SDL2/SDL_ttf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl/gl_surface.hpp"

namespace platform::sdl_gl {

class TtfFonts : public gl::FontRasterizer {
 public:
  uint32_t openFace(int32_t height, uint32_t weight, const char* face, int32_t& lineSkip) override;
  void closeFace(uint32_t face) override;
  bool renderLine(uint32_t face, const std::string& text, int32_t maxSide,
                  gl::LineBitmap& out) override;
  void shutDown() override;

 private:
  struct Face {
    TTF_Font* ttf = nullptr;
    explicit operator bool() const { return ttf != nullptr; }  // false: a free slot
  };
  std::vector<Face> faces_;  // face = index + 1
  bool started_ = false;
};

// The font file fontconfig chooses for a face name ("" is the default sans
// face) and weight; empty when there is none.
std::string findFontFile(const char* face, uint32_t weight, int& index);
// The point size whose line skip comes closest to `height` pixels.
int pointSizeForLineHeight(TTF_Font* font, int32_t height);

}  // namespace platform::sdl_gl
