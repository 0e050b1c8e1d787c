#include "platform/gl/gl_text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace platform::gl {

namespace {

constexpr int32_t MAX_FONT_HEIGHT = 1024;
constexpr size_t TEXT_CACHE_SIZE = 32;
// Longer lines are cut: nothing beyond this many pixels can reach the screen.
constexpr int32_t MAX_LINE_PIXELS = 4096;

}  // namespace

void sayNoFontOnce(const std::string& why) {
  static bool said = false;
  if (said) return;
  said = true;
  std::fprintf(stderr, "riderozad: no font for the title texts (%s); texts are not drawn\n",
               why.c_str());
}

bool TextRenderer::init(const char* shaderHead, std::string& error) {
  if (!buildTextProgram(program_, shaderHead, error)) return false;
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
  dropCache();
  faces_.clear();
  fonts_.shutDown();
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (program_.program) glDeleteProgram(program_.program);
  vbo_ = vao_ = 0;
  program_ = TextProgram{};
}

void TextRenderer::forgetContext() {
  cache_.clear();
  vbo_ = vao_ = 0;
  program_ = TextProgram{};
}

bool TextRenderer::openScaled(TextFont& font) {
  const auto height =
      std::clamp(static_cast<int32_t>(std::lround(font.height * scale_)), 1, MAX_FONT_HEIGHT);
  font.face = fonts_.openFace(height, font.weight, font.name.c_str(), font.lineSkip);
  return font.face != 0;
}

void TextRenderer::dropCache() {
  for (TextLine& line : cache_) glDeleteTextures(1, &line.texture);
  cache_.clear();
}

void TextRenderer::setScale(float scale) {
  if (!(scale > 0.0f) || scale == scale_) return;
  scale_ = scale;
  dropCache();
  for (TextFont& font : faces_) {
    if (!font) continue;
    // A face that cannot be opened at this size draws nothing until a
    // later scale opens it; its handle stays the game's.
    if (font.face) fonts_.closeFace(font.face);
    openScaled(font);
  }
}

FontHandle TextRenderer::createFont(int32_t height, uint32_t weight, const char* face) {
  if (height <= 0 || height > MAX_FONT_HEIGHT) {
    std::fprintf(stderr, "riderozad: font height %d is outside 1..%d\n", height, MAX_FONT_HEIGHT);
    return 0;
  }
  TextFont font;
  font.height = height;
  font.weight = weight;
  font.name = face ? face : "";
  if (!openScaled(font)) return 0;
  return addToSlots(faces_, font);
}

TextFont* TextRenderer::fontOf(FontHandle font) { return slotOf(faces_, font); }

void TextRenderer::releaseFont(FontHandle font) {
  TextFont* f = fontOf(font);
  if (!f) return;
  if (f->face) fonts_.closeFace(f->face);
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
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  LineBitmap bitmap;
  if (!fonts_.renderLine(fontOf(font)->face, text, std::min<int32_t>(MAX_LINE_PIXELS, maxSize),
                         bitmap) ||
      bitmap.width <= 0 || bitmap.height <= 0)
    return nullptr;
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
  line.width = bitmap.width;
  line.height = bitmap.height;
  line.lastUse = useCounter_;
  glGenTextures(1, &line.texture);
  glBindTexture(GL_TEXTURE_2D, line.texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, bitmap.width, bitmap.height, 0, GL_RED, GL_UNSIGNED_BYTE,
               bitmap.coverage.data());
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
  if (!f || !f->face || !text) return 0;
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

}  // namespace platform::gl
