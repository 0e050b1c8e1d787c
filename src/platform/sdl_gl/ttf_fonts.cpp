#include "platform/sdl_gl/ttf_fonts.hpp"

#include <fontconfig/fontconfig.h>

#include <algorithm>

#include "platform/gl/gl_text.hpp"
#include "platform/handle_slots.hpp"

namespace platform::sdl_gl {

std::string findFontFile(const char* face, uint32_t weight, int& index) {
  index = 0;
  if (!FcInit()) return {};
  // Fonts are looked up once or twice at start-up: fontconfig's tables are
  // let go after each lookup instead of staying for the whole run.
  struct Release {
    ~Release() { FcFini(); }
  } release;
  const char* name = (face && face[0]) ? face : "sans-serif";
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
  if (!pattern) return {};
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (weight > 0)
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        FcWeightFromOpenType(static_cast<int>(std::min<uint32_t>(weight, 1000))));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return {};
  std::string file;
  FcChar8* path = nullptr;
  if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
    file = reinterpret_cast<const char*>(path);
  int fontIndex = 0;
  if (FcPatternGetInteger(match, FC_INDEX, 0, &fontIndex) == FcResultMatch) index = fontIndex;
  FcPatternDestroy(match);
  return file;
}

int pointSizeForLineHeight(TTF_Font* font, int32_t height) {
  // Line skip grows with the point size; find the first size that reaches
  // the height and compare it with the one below.
  int lo = 1, hi = std::max(2, height * 2);
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (TTF_SetFontSize(font, mid) != 0) return 0;
    if (TTF_FontLineSkip(font) >= height)
      hi = mid;
    else
      lo = mid + 1;
  }
  int best = lo;
  if (lo > 1) {
    TTF_SetFontSize(font, lo);
    const int above = TTF_FontLineSkip(font) - height;
    TTF_SetFontSize(font, lo - 1);
    const int below = height - TTF_FontLineSkip(font);
    if (below < above) best = lo - 1;
  }
  TTF_SetFontSize(font, best);
  return best;
}

uint32_t TtfFonts::openFace(int32_t height, uint32_t weight, const char* face, int32_t& lineSkip) {
  if (!started_) {
    if (TTF_Init() != 0) {
      gl::sayNoFontOnce(std::string("SDL_ttf: ") + TTF_GetError());
      return 0;
    }
    started_ = true;
  }
  int index = 0;
  const std::string file = findFontFile(face, weight, index);
  if (file.empty()) {
    gl::sayNoFontOnce("fontconfig finds no font for \"" +
                      std::string(face && face[0] ? face : "sans-serif") + "\"");
    return 0;
  }
  TTF_Font* ttf = TTF_OpenFontIndex(file.c_str(), 12, index);
  if (!ttf) {
    gl::sayNoFontOnce(file + ": " + TTF_GetError());
    return 0;
  }
  if (pointSizeForLineHeight(ttf, height) == 0) {
    gl::sayNoFontOnce(file + ": " + TTF_GetError());
    TTF_CloseFont(ttf);
    return 0;
  }
  lineSkip = TTF_FontLineSkip(ttf);
  return addToSlots(faces_, Face{ttf});
}

void TtfFonts::closeFace(uint32_t face) {
  Face* f = slotOf(faces_, face);
  if (!f) return;
  TTF_CloseFont(f->ttf);
  *f = Face{};
}

bool TtfFonts::renderLine(uint32_t face, const std::string& text, int32_t maxSide,
                          gl::LineBitmap& out) {
  Face* f = slotOf(faces_, face);
  if (!f) return false;
  // The texts are single-byte strings, as the classic font calls take them.
  SDL_Surface* rendered =
      TTF_RenderText_Blended(f->ttf, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!rendered) return false;
  SDL_Surface* surface = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(rendered);
  if (!surface) return false;
  out.width = std::min<int32_t>(surface->w, maxSide);
  out.height = std::min<int32_t>(surface->h, maxSide);
  out.coverage.assign(static_cast<size_t>(out.width) * out.height, 0);
  SDL_LockSurface(surface);
  for (int32_t y = 0; y < out.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch);
    for (int32_t x = 0; x < out.width; ++x)
      out.coverage[static_cast<size_t>(y) * out.width + x] = row[x] >> 24;
  }
  SDL_UnlockSurface(surface);
  SDL_FreeSurface(surface);
  return true;
}

void TtfFonts::shutDown() {
  for (Face& f : faces_)
    if (f.ttf) TTF_CloseFont(f.ttf);
  faces_.clear();
  if (started_) TTF_Quit();
  started_ = false;
}

}  // namespace platform::sdl_gl
