#include "platform/sdl_gl/gl_text.hpp"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform::sdl_gl {

namespace {

constexpr int32_t MAX_FONT_HEIGHT = 1024;
constexpr size_t TEXT_CACHE_SIZE = 32;
// Longer lines are cut: nothing beyond this many pixels can reach the screen.
constexpr int32_t MAX_LINE_PIXELS = 4096;

void sayNoFontOnce(const std::string& why) {
  static bool said = false;
  if (said) return;
  said = true;
  std::fprintf(stderr, "riderozad: no font for the title texts (%s); texts are not drawn\n",
               why.c_str());
}

}  // namespace

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

bool TextRenderer::init(std::string& error) {
  if (!buildTextProgram(program_, error)) return false;
  glGenVertexArrays(1, &vao_);
  glGenBuffers(1, &vbo_);
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, sizeof(float) * 24, nullptr, GL_STREAM_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(float) * 4, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(float) * 4,
                        reinterpret_cast<const void*>(sizeof(float) * 2));
  glBindVertexArray(0);
  return true;
}

void TextRenderer::destroy() {
  for (TextLine& line : cache_) glDeleteTextures(1, &line.texture);
  cache_.clear();
  for (TextFont& f : fonts_)
    if (f.ttf) TTF_CloseFont(f.ttf);
  fonts_.clear();
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (program_.program) glDeleteProgram(program_.program);
  vbo_ = vao_ = 0;
  program_ = TextProgram{};
  if (ttfStarted_) TTF_Quit();
  ttfStarted_ = false;
}

FontHandle TextRenderer::createFont(int32_t height, uint32_t weight, const char* face) {
  if (height <= 0 || height > MAX_FONT_HEIGHT) {
    std::fprintf(stderr, "riderozad: font height %d is outside 1..%d\n", height, MAX_FONT_HEIGHT);
    return 0;
  }
  if (!ttfStarted_) {
    if (TTF_Init() != 0) {
      sayNoFontOnce(std::string("SDL_ttf: ") + TTF_GetError());
      return 0;
    }
    ttfStarted_ = true;
  }
  int index = 0;
  const std::string file = findFontFile(face, weight, index);
  if (file.empty()) {
    sayNoFontOnce("fontconfig finds no font for \"" +
                  std::string(face && face[0] ? face : "sans-serif") + "\"");
    return 0;
  }
  TTF_Font* ttf = TTF_OpenFontIndex(file.c_str(), 12, index);
  if (!ttf) {
    sayNoFontOnce(file + ": " + TTF_GetError());
    return 0;
  }
  if (pointSizeForLineHeight(ttf, height) == 0) {
    sayNoFontOnce(file + ": " + TTF_GetError());
    TTF_CloseFont(ttf);
    return 0;
  }
  TextFont font{ttf, TTF_FontLineSkip(ttf)};
  return addToSlots(fonts_, font);
}

TextFont* TextRenderer::fontOf(FontHandle font) { return slotOf(fonts_, font); }

void TextRenderer::releaseFont(FontHandle font) {
  TextFont* f = fontOf(font);
  if (!f) return;
  TTF_CloseFont(f->ttf);
  *f = TextFont{};
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->font == font) {
      glDeleteTextures(1, &it->texture);
      it = cache_.erase(it);
    } else {
      ++it;
    }
  }
}

const TextLine* TextRenderer::lineOf(FontHandle font, const std::string& text) {
  ++useCounter_;
  for (TextLine& line : cache_) {
    if (line.font == font && line.text == text) {
      line.lastUse = useCounter_;
      return &line;
    }
  }
  TextFont* f = fontOf(font);
  // The texts are single-byte strings, as the classic font calls take them.
  SDL_Surface* rendered =
      TTF_RenderText_Blended(f->ttf, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!rendered) return nullptr;
  SDL_Surface* surface = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(rendered);
  if (!surface) return nullptr;
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  const int32_t limit = std::min<int32_t>(MAX_LINE_PIXELS, maxSize);
  const int32_t w = std::min<int32_t>(surface->w, limit);
  const int32_t h = std::min<int32_t>(surface->h, limit);
  std::vector<uint8_t> coverage(static_cast<size_t>(w) * h);
  SDL_LockSurface(surface);
  for (int32_t y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch);
    for (int32_t x = 0; x < w; ++x) coverage[static_cast<size_t>(y) * w + x] = row[x] >> 24;
  }
  SDL_UnlockSurface(surface);
  SDL_FreeSurface(surface);

  if (cache_.size() >= TEXT_CACHE_SIZE) {
    auto oldest = std::min_element(
        cache_.begin(), cache_.end(),
        [](const TextLine& a, const TextLine& b) { return a.lastUse < b.lastUse; });
    glDeleteTextures(1, &oldest->texture);
    cache_.erase(oldest);
  }
  TextLine line;
  line.font = font;
  line.text = text;
  line.width = w;
  line.height = h;
  line.lastUse = useCounter_;
  glGenTextures(1, &line.texture);
  glBindTexture(GL_TEXTURE_2D, line.texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, w, h, 0, GL_RED, GL_UNSIGNED_BYTE, coverage.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  cache_.push_back(std::move(line));
  return &cache_.back();
}

int32_t TextRenderer::drawText(FontHandle font, const char* text, int32_t count, const Rect& rect,
                               uint32_t argb, int32_t viewWidth, int32_t viewHeight) {
  TextFont* f = fontOf(font);
  if (!f || !text) return 0;
  const size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
  // The part of the rectangle inside the back buffer; nothing is drawn
  // outside it.
  const int32_t left = std::max(rect.left, 0), top = std::max(rect.top, 0);
  const int32_t right = std::min(rect.right, viewWidth), bottom = std::min(rect.bottom, viewHeight);
  if (length == 0 || right <= left || bottom <= top) return 0;

  glUseProgram(program_.program);
  glUniform2f(program_.viewSize, static_cast<float>(viewWidth), static_cast<float>(viewHeight));
  glUniform4f(program_.color, ((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
              (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
  glUniform1i(program_.sampler, 0);
  glActiveTexture(GL_TEXTURE0);
  glBindVertexArray(vao_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
  glEnable(GL_SCISSOR_TEST);
  glScissor(left, viewHeight - bottom, right - left, bottom - top);

  int32_t lines = 0;
  size_t start = 0;
  while (start <= length) {
    size_t end = start;
    while (end < length && text[end] != '\n') ++end;
    std::string piece(text + start, end - start);
    if (!piece.empty() && piece.back() == '\r') piece.pop_back();
    const float y0 = static_cast<float>(rect.top + lines * f->lineSkip);
    if (!piece.empty() && y0 < bottom) {
      if (const TextLine* line = lineOf(font, piece)) {
        const float x0 = static_cast<float>(rect.left);
        const float x1 = x0 + line->width, y1 = y0 + line->height;
        const float quad[24] = {x0, y0, 0, 0, x1, y0, 1, 0, x1, y1, 1, 1,
                                x0, y0, 0, 0, x1, y1, 1, 1, x0, y1, 0, 1};
        glBindTexture(GL_TEXTURE_2D, line->texture);
        glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad);
        glDrawArrays(GL_TRIANGLES, 0, 6);
      }
    }
    ++lines;
    start = end + 1;
  }

  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glBindVertexArray(0);
  return lines * f->lineSkip;
}

}  // namespace platform::sdl_gl
