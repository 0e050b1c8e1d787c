// Fonts for the GL device: SDL2_ttf faces found through fontconfig, lines
// rendered to coverage textures (kept in a small cache, since the game draws
// the same texts every frame) and blended over the back buffer.
#pragma once

#include <SDL2/SDL_ttf.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.hpp"
#include "platform/handle_slots.hpp"
#include "platform/sdl_gl/gl_shaders.hpp"

namespace platform::sdl_gl {

struct TextFont {
  TTF_Font* ttf = nullptr;
  int32_t lineSkip = 0;
  explicit operator bool() const { return ttf != nullptr; }  // false: a free slot
};

struct TextLine {
  FontHandle font = 0;
  std::string text;
  GLuint texture = 0;
  int32_t width = 0, height = 0;
  uint64_t lastUse = 0;
};

class TextRenderer {
 public:
  // Needs a current GL context. False with a message in `error`.
  bool init(std::string& error);
  void destroy();

  FontHandle createFont(int32_t height, uint32_t weight, const char* face);
  void releaseFont(FontHandle font);
  // Draws into the bound framebuffer of the given size; returns the height
  // of the text drawn, 0 when nothing was drawn.
  int32_t drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                   uint32_t argb, int32_t viewWidth, int32_t viewHeight);

 private:
  TextFont* fontOf(FontHandle font);
  const TextLine* lineOf(FontHandle font, const std::string& text);

  TextProgram program_;
  GLuint vao_ = 0, vbo_ = 0;
  std::vector<TextFont> fonts_;  // handle = index + 1
  std::vector<TextLine> cache_;
  uint64_t useCounter_ = 0;
  bool ttfStarted_ = false;
};

// The font file fontconfig chooses for a face name ("" is the default sans
// face) and weight; empty when there is none.
std::string findFontFile(const char* face, uint32_t weight, int& index);
// The point size whose line skip comes closest to `height` pixels.
int pointSizeForLineHeight(TTF_Font* font, int32_t height);

}  // namespace platform::sdl_gl
