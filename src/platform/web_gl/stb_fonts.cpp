#define STB_TRUETYPE_IMPLEMENTATION
#include "platform/web_gl/stb_fonts.hpp"

#include <algorithm>
#include <cmath>

#include "platform/file_read.hpp"
#include "platform/gl/gl_text.hpp"
#include "platform/handle_slots.hpp"

namespace platform::web_gl {

namespace {

// DejaVu Sans is 741 KB; anything far larger is not a font we shipped.
constexpr size_t MAX_FONT_BYTES = 16 * 1024 * 1024;

// Whole pixels as the desktop's font library rounds its metrics: up.
int32_t ceilPixels(float v) { return static_cast<int32_t>(std::ceil(v)); }

}  // namespace

bool StbFonts::loadFile() {
  if (!file_.empty()) return true;
  std::string error;
  if (!readFileBytes(FONT_FILE, MAX_FONT_BYTES, file_, error)) {
    gl::sayNoFontOnce(error);
    file_.clear();
    return false;
  }
  const int offset = stbtt_GetFontOffsetForIndex(file_.data(), 0);
  if (offset < 0 || !stbtt_InitFont(&info_, file_.data(), offset)) {
    gl::sayNoFontOnce(std::string(FONT_FILE) + ": not a TrueType font");
    file_.clear();
    return false;
  }
  return true;
}

uint32_t StbFonts::openFace(int32_t height, uint32_t /*weight: one face*/,
                            const char* /*face: one face*/, int32_t& lineSkip) {
  if (!loadFile()) return 0;
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&info_, &ascent, &descent, &gap);
  const int lineUnits = ascent - descent + gap;
  if (lineUnits <= 0) {
    gl::sayNoFontOnce(std::string(FONT_FILE) + ": its line height is not positive");
    return 0;
  }
  // The point size whose line skip comes closest to the height, the lower
  // one on a tie, as on the desktop; a point is a pixel.
  const auto skipAt = [&](int points) {
    return ceilPixels(stbtt_ScaleForMappingEmToPixels(&info_, static_cast<float>(points)) *
                      static_cast<float>(lineUnits));
  };
  int points = 1;
  while (skipAt(points) < height) ++points;
  if (points > 1 && height - skipAt(points - 1) < skipAt(points) - height) --points;
  Face f;
  f.scale = stbtt_ScaleForMappingEmToPixels(&info_, static_cast<float>(points));
  f.ascent = ceilPixels(f.scale * static_cast<float>(ascent));
  f.height = ceilPixels(f.scale * static_cast<float>(ascent - descent));
  lineSkip = skipAt(points);
  return addToSlots(faces_, f);
}

void StbFonts::closeFace(uint32_t face) {
  if (Face* f = slotOf(faces_, face)) *f = Face{};
}

bool StbFonts::renderLine(uint32_t face, const std::string& text, int32_t maxSide,
                          gl::LineBitmap& out) {
  const Face* f = slotOf(faces_, face);
  if (!f || text.empty()) return false;
  // The texts are single-byte strings: each byte is its Latin-1 character.
  std::vector<int> codepoints(text.begin(), text.end());
  for (int& c : codepoints) c &= 0xFF;
  // Pen positions first, in pixels from the left, with kerning.
  std::vector<float> pen(codepoints.size() + 1, 0.0f);
  for (size_t i = 0; i < codepoints.size(); ++i) {
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&info_, codepoints[i], &advance, &bearing);
    int kern = 0;
    if (i + 1 < codepoints.size())
      kern = stbtt_GetCodepointKernAdvance(&info_, codepoints[i], codepoints[i + 1]);
    pen[i + 1] = pen[i] + f->scale * static_cast<float>(advance + kern);
  }
  out.width = std::min<int32_t>(ceilPixels(pen.back()), maxSide);
  out.height = std::min<int32_t>(f->height, maxSide);
  if (out.width <= 0 || out.height <= 0) return false;
  out.coverage.assign(static_cast<size_t>(out.width) * out.height, 0);
  for (size_t i = 0; i < codepoints.size(); ++i) {
    const float x = std::floor(pen[i]);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetCodepointBitmapBoxSubpixel(&info_, codepoints[i], f->scale, f->scale, pen[i] - x, 0,
                                        &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0) continue;
    std::vector<uint8_t> glyph(static_cast<size_t>(w) * h);
    stbtt_MakeCodepointBitmapSubpixel(&info_, glyph.data(), w, h, w, f->scale, f->scale, pen[i] - x,
                                      0, codepoints[i]);
    // Glyphs may overlap (kerning, italics): the larger coverage wins.
    for (int gy = 0; gy < h; ++gy) {
      const int y = f->ascent + y0 + gy;
      if (y < 0 || y >= out.height) continue;
      for (int gx = 0; gx < w; ++gx) {
        const int px = static_cast<int>(x) + x0 + gx;
        if (px < 0 || px >= out.width) continue;
        uint8_t& dst = out.coverage[static_cast<size_t>(y) * out.width + px];
        dst = std::max(dst, glyph[static_cast<size_t>(gy) * w + gx]);
      }
    }
  }
  return true;
}

void StbFonts::shutDown() {
  faces_.clear();
  file_.clear();
}

}  // namespace platform::web_gl
