// Text for the GL device: lines turned into coverage by the backend's font
// rasterizer, kept as textures in a small cache (the game draws the same
// texts every frame) and blended over the back buffer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gl/gl_api.hpp"
#include "platform/gl/gl_shaders.hpp"
#include "platform/gl/gl_surface.hpp"
#include "platform/graphics.hpp"
#include "platform/handle_slots.hpp"

namespace platform::gl {

struct TextFont {
  uint32_t face = 0;  // the rasterizer's; 0 while it cannot be opened
  int32_t lineSkip = 0;
  // As the game asked for it, to open the face again at another scale.
  int32_t height = 0;
  uint32_t weight = 0;
  std::string name;
  explicit operator bool() const { return height != 0; }  // false: a free slot
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
  explicit TextRenderer(FontRasterizer& fonts) : fonts_(fonts) {}
  // Needs a current GL context. False with a message in `error`.
  bool init(const char* shaderHead, std::string& error);
  void destroy();
  // The context was lost: its names are let go, the fonts are kept, and
  // init makes the rest again.
  void forgetContext();

  // Fonts are opened `scale` times the height asked for (the back buffer's
  // size over the game's); a new scale opens every font again.
  void setScale(float scale);
  FontHandle createFont(int32_t height, uint32_t weight, const char* face);
  void releaseFont(FontHandle font);
  // Draws into the bound framebuffer of the given size; returns the height
  // of the text drawn, 0 when nothing was drawn.
  int32_t drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                   uint32_t argb, int32_t viewWidth, int32_t viewHeight);

 private:
  TextFont* fontOf(FontHandle font);
  void dropCache();
  // Opens the font's face at the scale; false, said once, when there is none.
  bool openScaled(TextFont& font);
  const TextLine* lineOf(FontHandle font, const std::string& text);

  FontRasterizer& fonts_;
  TextProgram program_;
  GLuint vao_ = 0, vbo_ = 0;
  std::vector<TextFont> faces_;  // handle = index + 1
  std::vector<TextLine> cache_;
  uint64_t useCounter_ = 0;
  float scale_ = 1.0f;
};

// For rasterizers: says once in the run that the title texts have no font.
void sayNoFontOnce(const std::string& why);

}  // namespace platform::gl
