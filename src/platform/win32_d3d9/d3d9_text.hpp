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
  HFONT font = nullptr;
  int32_t lineHeight = 0;
  explicit operator bool() const { return font != nullptr; }  // false: a free slot
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

  FontHandle createFont(int32_t height, uint32_t weight, const char* face);
  void releaseFont(FontHandle font);
  // Draws on `device` inside a scene; returns the height of the text drawn,
  // 0 when nothing was drawn. Leaves the device's states as it found them.
  int32_t drawText(IDirect3DDevice9* device, FontHandle font, const char* text, int32_t count,
                   const Rect& rect, uint32_t argb, int32_t viewWidth, int32_t viewHeight);

 private:
  GdiFont* fontOf(FontHandle font);
  const GdiTextLine* lineOf(IDirect3DDevice9* device, FontHandle font, const std::string& text);

  HDC dc_ = nullptr;
  std::vector<GdiFont> fonts_;  // handle = index + 1
  std::vector<GdiTextLine> cache_;
  uint64_t useCounter_ = 0;
};

}  // namespace platform::win32_d3d9
