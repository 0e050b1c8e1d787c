#include "platform/win32_d3d9/d3d9_text.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace platform::win32_d3d9 {

namespace {

constexpr int32_t MAX_FONT_HEIGHT = 1024;
constexpr size_t TEXT_CACHE_SIZE = 32;
// Longer lines are cut: nothing beyond this many pixels can reach the screen.
constexpr int32_t MAX_LINE_PIXELS = 4096;

constexpr DWORD TEXT_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct TextVertex {
  float x, y, z, rhw;
  D3DCOLOR colour;
  float u, v;
};

uint32_t powerOfTwoAtLeast(int32_t v) {
  uint32_t p = 1;
  while (p < static_cast<uint32_t>(v)) p <<= 1;
  return p;
}

// The states a text quad needs. Each is read first and set back after, so
// the game's own states come back unchanged.
template <class State>
struct Setting {
  State state;
  DWORD value;
};

const Setting<D3DRENDERSTATETYPE> TEXT_STATES[] = {
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_SCISSORTESTENABLE, TRUE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xF},
};
// Colour from the vertex, alpha the vertex's times the coverage.
const Setting<D3DTEXTURESTAGESTATETYPE> TEXT_STAGE[] = {
    {D3DTSS_COLOROP, D3DTOP_MODULATE}, {D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {D3DTSS_COLORARG2, D3DTA_DIFFUSE}, {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {D3DTSS_ALPHAARG1, D3DTA_TEXTURE}, {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
};
const Setting<D3DSAMPLERSTATETYPE> TEXT_SAMPLER[] = {
    {D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP}, {D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
    {D3DSAMP_MINFILTER, D3DTEXF_POINT},    {D3DSAMP_MAGFILTER, D3DTEXF_POINT},
    {D3DSAMP_MIPFILTER, D3DTEXF_NONE},
};

struct SavedStates {
  DWORD states[std::size(TEXT_STATES)] = {};
  DWORD stage[std::size(TEXT_STAGE)] = {};
  DWORD sampler[std::size(TEXT_SAMPLER)] = {};
  IDirect3DBaseTexture9* texture = nullptr;
  DWORD fvf = 0;
  RECT scissor{};

  void take(IDirect3DDevice9* d) {
    for (size_t i = 0; i < std::size(TEXT_STATES); ++i)
      d->GetRenderState(TEXT_STATES[i].state, &states[i]);
    for (size_t i = 0; i < std::size(TEXT_STAGE); ++i)
      d->GetTextureStageState(0, TEXT_STAGE[i].state, &stage[i]);
    for (size_t i = 0; i < std::size(TEXT_SAMPLER); ++i)
      d->GetSamplerState(0, TEXT_SAMPLER[i].state, &sampler[i]);
    d->GetTexture(0, &texture);
    d->GetFVF(&fvf);
    d->GetScissorRect(&scissor);
  }
  void giveBack(IDirect3DDevice9* d) {
    for (size_t i = 0; i < std::size(TEXT_STATES); ++i)
      d->SetRenderState(TEXT_STATES[i].state, states[i]);
    for (size_t i = 0; i < std::size(TEXT_STAGE); ++i)
      d->SetTextureStageState(0, TEXT_STAGE[i].state, stage[i]);
    for (size_t i = 0; i < std::size(TEXT_SAMPLER); ++i)
      d->SetSamplerState(0, TEXT_SAMPLER[i].state, sampler[i]);
    d->SetTexture(0, texture);
    if (texture) texture->Release();
    texture = nullptr;
    d->SetFVF(fvf);
    d->SetScissorRect(&scissor);
  }
};

void setTextStates(IDirect3DDevice9* d, const RECT& clip) {
  for (const auto& s : TEXT_STATES) d->SetRenderState(s.state, s.value);
  for (const auto& s : TEXT_STAGE) d->SetTextureStageState(0, s.state, s.value);
  for (const auto& s : TEXT_SAMPLER) d->SetSamplerState(0, s.state, s.value);
  d->SetFVF(TEXT_FVF);
  d->SetScissorRect(&clip);
}

// One line as white texels whose alpha is GDI's coverage, or null.
IDirect3DTexture9* renderLine(IDirect3DDevice9* device, HDC dc, const std::string& text,
                              int32_t& width, int32_t& height, uint32_t& tw, uint32_t& th) {
  SIZE size{};
  if (!GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size))
    return nullptr;
  D3DCAPS9 caps{};
  device->GetDeviceCaps(&caps);
  const int32_t limit = std::min<int32_t>(
      MAX_LINE_PIXELS, static_cast<int32_t>(std::min(caps.MaxTextureWidth, caps.MaxTextureHeight)));
  width = std::min<int32_t>(size.cx, limit);
  height = std::min<int32_t>(size.cy, limit);
  if (width <= 0 || height <= 0) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return nullptr;
  HGDIOBJ previous = SelectObject(dc, bitmap);
  std::memset(bits, 0, size_t{4} * width * height);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  TextOutA(dc, 0, 0, text.c_str(), static_cast<int>(text.size()));
  GdiFlush();

  tw = powerOfTwoAtLeast(width);
  th = powerOfTwoAtLeast(height);
  IDirect3DTexture9* texture = nullptr;
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(device->CreateTexture(tw, th, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                      nullptr)) &&
      SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
    const auto* from = static_cast<const uint8_t*>(bits);
    for (uint32_t y = 0; y < th; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) +
                                              size_t{y} * locked.Pitch);
      for (uint32_t x = 0; x < tw; ++x) {
        uint32_t coverage = 0;
        if (x < static_cast<uint32_t>(width) && y < static_cast<uint32_t>(height)) {
          const uint8_t* p = from + (size_t{y} * width + x) * 4;
          coverage = std::max({p[0], p[1], p[2]});
        }
        row[x] = coverage << 24 | 0x00FFFFFFu;
      }
    }
    texture->UnlockRect(0);
  } else if (texture) {
    texture->Release();
    texture = nullptr;
  }
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  return texture;
}

void sayNoFontOnce(const char* why) {
  static bool said = false;
  if (said) return;
  said = true;
  std::fprintf(stderr, "riderozad: no font for the title texts (%s); texts are not drawn\n", why);
}

}  // namespace

void D3d9Text::dropCache() {
  for (GdiTextLine& line : cache_) line.texture->Release();
  cache_.clear();
}

void D3d9Text::destroy() {
  dropCache();
  for (GdiFont& f : fonts_)
    if (f.font) DeleteObject(f.font);
  fonts_.clear();
  if (dc_) DeleteDC(dc_);
  dc_ = nullptr;
}

bool D3d9Text::makeScaled(GdiFont& f) {
  f.font = nullptr;
  if (!dc_) dc_ = CreateCompatibleDC(nullptr);
  if (!dc_) {
    sayNoFontOnce("GDI gives no drawing context");
    return false;
  }
  const int height =
      std::clamp(static_cast<int>(std::lround(f.height * scale_)), 1, MAX_FONT_HEIGHT);
  // A positive height asks for the cell height, which is the line height.
  // An empty face with the Swiss family is the system's default sans face.
  HFONT font = CreateFontA(height, 0, 0, 0, static_cast<int>(std::min<uint32_t>(f.weight, 1000)),
                           FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                           ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, f.face.c_str());
  TEXTMETRICA metrics{};
  if (font) {
    HGDIOBJ previous = SelectObject(dc_, font);
    if (!GetTextMetricsA(dc_, &metrics)) metrics.tmHeight = 0;
    SelectObject(dc_, previous);
  }
  if (!font || metrics.tmHeight <= 0) {
    if (font) DeleteObject(font);
    sayNoFontOnce("GDI cannot make the font");
    return false;
  }
  f.font = font;
  f.lineHeight = metrics.tmHeight;
  return true;
}

void D3d9Text::setScale(float scale) {
  if (!(scale > 0.0f) || scale == scale_) return;
  scale_ = scale;
  dropCache();
  // A font that cannot be made at this size draws nothing until a later
  // scale makes it; its handle stays the game's.
  for (GdiFont& f : fonts_) {
    if (!f) continue;
    if (f.font) DeleteObject(f.font);
    makeScaled(f);
  }
}

FontHandle D3d9Text::createFont(int32_t height, uint32_t weight, const char* face) {
  if (height <= 0 || height > MAX_FONT_HEIGHT) {
    std::fprintf(stderr, "riderozad: font height %d is outside 1..%d\n", height, MAX_FONT_HEIGHT);
    return 0;
  }
  GdiFont entry;
  entry.height = height;
  entry.weight = weight;
  entry.face = face ? face : "";
  if (!makeScaled(entry)) return 0;
  return addToSlots(fonts_, entry);
}

GdiFont* D3d9Text::fontOf(FontHandle font) { return slotOf(fonts_, font); }

void D3d9Text::releaseFont(FontHandle font) {
  GdiFont* f = fontOf(font);
  if (!f) return;
  if (f->font) DeleteObject(f->font);
  *f = GdiFont{};
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (it->font == font) {
      it->texture->Release();
      it = cache_.erase(it);
    } else {
      ++it;
    }
  }
}

const GdiTextLine* D3d9Text::lineOf(IDirect3DDevice9* device, FontHandle font,
                                    const std::string& text) {
  ++useCounter_;
  for (GdiTextLine& line : cache_) {
    if (line.font == font && line.text == text) {
      line.lastUse = useCounter_;
      return &line;
    }
  }
  GdiTextLine line;
  HGDIOBJ previous = SelectObject(dc_, fontOf(font)->font);
  line.texture =
      renderLine(device, dc_, text, line.width, line.height, line.textureWidth, line.textureHeight);
  SelectObject(dc_, previous);
  if (!line.texture) return nullptr;
  if (cache_.size() >= TEXT_CACHE_SIZE) {
    auto oldest = std::min_element(
        cache_.begin(), cache_.end(),
        [](const GdiTextLine& a, const GdiTextLine& b) { return a.lastUse < b.lastUse; });
    oldest->texture->Release();
    cache_.erase(oldest);
  }
  line.font = font;
  line.text = text;
  line.lastUse = useCounter_;
  cache_.push_back(std::move(line));
  return &cache_.back();
}

int32_t D3d9Text::drawText(IDirect3DDevice9* device, FontHandle font, const char* text,
                           int32_t count, const Rect& rect, uint32_t argb, int32_t viewWidth,
                           int32_t viewHeight) {
  GdiFont* f = fontOf(font);
  if (!f || !f->font || !text) return 0;
  const size_t length = count < 0 ? std::strlen(text) : strnlen(text, static_cast<size_t>(count));
  // The part of the rectangle inside the back buffer; nothing is drawn
  // outside it.
  const RECT clip{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, viewWidth),
                  std::min(rect.bottom, viewHeight)};
  if (length == 0 || clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  SavedStates saved;
  saved.take(device);
  setTextStates(device, clip);
  int32_t lines = 0;
  size_t start = 0;
  while (start <= length) {
    size_t end = start;
    while (end < length && text[end] != '\n') ++end;
    std::string piece(text + start, end - start);
    if (!piece.empty() && piece.back() == '\r') piece.pop_back();
    const int32_t top = rect.top + lines * f->lineHeight;
    if (!piece.empty() && top < clip.bottom) {
      if (const GdiTextLine* line = lineOf(device, font, piece)) {
        // Pixel centres sit on whole coordinates: the half-pixel shift puts
        // each texel on one pixel.
        const float x0 = static_cast<float>(rect.left) - 0.5f, y0 = static_cast<float>(top) - 0.5f;
        const float x1 = x0 + static_cast<float>(line->width);
        const float y1 = y0 + static_cast<float>(line->height);
        const float u1 = static_cast<float>(line->width) / static_cast<float>(line->textureWidth);
        const float v1 = static_cast<float>(line->height) / static_cast<float>(line->textureHeight);
        const TextVertex quad[4] = {{x0, y0, 0, 1, argb, 0, 0},
                                    {x1, y0, 0, 1, argb, u1, 0},
                                    {x0, y1, 0, 1, argb, 0, v1},
                                    {x1, y1, 0, 1, argb, u1, v1}};
        device->SetTexture(0, line->texture);
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TextVertex));
      }
    }
    ++lines;
    start = end + 1;
  }
  saved.giveBack(device);
  return lines * f->lineHeight;
}

}  // namespace platform::win32_d3d9
