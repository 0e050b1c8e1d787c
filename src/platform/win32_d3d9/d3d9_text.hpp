// The title font without D3DX: GDI draws each line into a DIB section, its
// coverage becomes the alpha of a managed texture (kept in a small cache,
// since the game draws the same texts every frame), and the line is blended
// over the back buffer as a screen-space quad in the text's colour.
#pragma once

#include <d3d9.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.hpp"
#include "platform/handle_slots.hpp"

namespace platform::win32_d3d9 {

struct GdiFont {
  HFONT font = nullptr;  // null while it cannot be made at the scale
  int32_t lineHeight = 0;
  // As the game asked for it, to make it again at another scale.
  int32_t height = 0;
  uint32_t weight = 0;
  std::string face;
  explicit operator bool() const { return height != 0; }  // false: a free slot
};

struct GdiTextLine {
  FontHandle font = 0;
  std::string text;
  IDirect3DTexture9* texture = nullptr;
  int32_t width = 0, height = 0;  // of the ink's box, in pixels
  uint32_t textureWidth = 0, textureHeight = 0;
  uint64_t lastUse = 0;
};

class D3d9Text {
 public:
  ~D3d9Text() { destroy(); }
  void destroy();

  // Fonts are made `scale` times the height asked for (the back buffer's
  // size over the game's); a new scale makes every font again.
  void setScale(float scale);
  FontHandle createFont(int32_t height, uint32_t weight, const char* face);
  void releaseFont(FontHandle font);
  // Draws on `device` inside a scene; returns the height of the text drawn,
  // 0 when nothing was drawn. Leaves the device's states as it found them.
  int32_t drawText(IDirect3DDevice9* device, FontHandle font, const char* text, int32_t count,
                   const Rect& rect, uint32_t argb, int32_t viewWidth, int32_t viewHeight);

 private:
  GdiFont* fontOf(FontHandle font);
  // Makes the font's GDI font at the scale; false, said once, when it cannot.
  bool makeScaled(GdiFont& font);
  void dropCache();
  const GdiTextLine* lineOf(IDirect3DDevice9* device, FontHandle font, const std::string& text);

  HDC dc_ = nullptr;
  std::vector<GdiFont> fonts_;  // handle = index + 1
  std::vector<GdiTextLine> cache_;
  uint64_t useCounter_ = 0;
  float scale_ = 1.0f;
};

}  // namespace platform::win32_d3d9
