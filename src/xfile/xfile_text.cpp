// Token reader for the text form of .x files.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "xfile/xfile_internal.hpp"

namespace {

// Characters that end a name or a number.
bool isDelimiter(uint8_t c) {
  switch (c) {
    case '{':
    case '}':
    case '<':
    case '>':
    case '"':
    case '[':
    case ']':
    case '(':
    case ')':
    case ',':
    case ';':
    case '#':
      return true;
    default:
      return c <= ' ';
  }
}

bool startsNumber(uint8_t c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; }

bool equalsNoCase(const uint8_t* p, size_t n, const char* word) {
  for (size_t i = 0; i < n; ++i) {
    if (word[i] == '\0') return false;
    uint8_t c = p[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c - 'A' + 'a');
    if (c != static_cast<uint8_t>(word[i])) return false;
  }
  return word[n] == '\0';
}

}  // namespace

void XTextLexer::skipBlank() {
  while (p_ < end_) {
    const uint8_t c = *p_;
    if (c == '\n') {
      ++line_;
      ++p_;
    } else if (c <= ' ' || c == ',' || c == ';') {
      ++p_;
    } else if (c == '#' || (c == '/' && end_ - p_ >= 2 && p_[1] == '/')) {
      while (p_ < end_ && *p_ != '\n') ++p_;
    } else {
      return;
    }
  }
}

// The extent of a name or number token starting at p_ (which is not blank).
static const uint8_t* tokenEnd(const uint8_t* p, const uint8_t* end) {
  while (p < end && !isDelimiter(*p) && !(*p == '/' && end - p >= 2 && p[1] == '/')) ++p;
  return p;
}

XTok XTextLexer::peek() {
  skipBlank();
  if (p_ == end_) return XTok::End;
  const uint8_t c = *p_;
  switch (c) {
    case '{':
      return XTok::OBrace;
    case '}':
      return XTok::CBrace;
    case '<':
      return XTok::Guid;
    case '"':
      return XTok::String;
    default:
      break;
  }
  if (isDelimiter(c)) return XTok::Other;
  if (startsNumber(c)) return XTok::Number;
  const uint8_t* e = tokenEnd(p_, end_);
  if (equalsNoCase(p_, static_cast<size_t>(e - p_), "template")) return XTok::Template;
  return XTok::Name;
}

bool XTextLexer::readName(std::string& out) {
  // Object names may start with a digit, so a number token is a name here.
  const XTok t = peek();
  if (t != XTok::Name && t != XTok::Template && t != XTok::Number) {
    error_ = "expected a name";
    return false;
  }
  const uint8_t* e = tokenEnd(p_, end_);
  out.assign(reinterpret_cast<const char*>(p_), static_cast<size_t>(e - p_));
  p_ = e;
  return true;
}

bool XTextLexer::readString(std::string& out) {
  if (peek() != XTok::String) {
    error_ = "expected a quoted string";
    return false;
  }
  const uint8_t* q = p_ + 1;
  while (q < end_ && *q != '"') ++q;
  if (q == end_) {
    error_ = "string runs to the end of the file without its closing quote";
    return false;
  }
  out.assign(reinterpret_cast<const char*>(p_ + 1), static_cast<size_t>(q - p_ - 1));
  for (const uint8_t* r = p_; r < q; ++r) line_ += *r == '\n';
  p_ = q + 1;
  return true;
}

bool XTextLexer::numberToken(const char*& first, const char*& last) {
  if (peek() != XTok::Number) {
    error_ = p_ == end_ ? "the file ends where a number was expected" : "expected a number";
    return false;
  }
  const uint8_t* e = tokenEnd(p_, end_);
  first = reinterpret_cast<const char*>(p_);
  last = reinterpret_cast<const char*>(e);
  if (*first == '+') ++first;
  p_ = e;
  return true;
}

bool XTextLexer::readUInt(uint32_t& out) {
  const char* first;
  const char* last;
  if (!numberToken(first, last)) return false;
  const auto r = std::from_chars(first, last, out);
  if (r.ec == std::errc::result_out_of_range) {
    error_ = "integer " + std::string(first, last) + " is too large";
    return false;
  }
  if (r.ec != std::errc() || r.ptr != last) {
    error_ = "expected a whole number, found " + std::string(first, last);
    return false;
  }
  return true;
}

// Not every standard library has std::from_chars for floats, and a double
// narrowed to a float is rounded twice. strtof rounds once, to nearest, but
// reads the locale's decimal point: so it gets the digits as a whole number
// with a power of ten ("12.5e3" as "125e2"), which every locale reads alike.
// It gets no sign either: musl's strtof rounds a negative number just past
// half the smallest float to zero, the positive one correctly.
bool parseDecimalFloat(const char* first, const char* last, float& out) {
  const char* p = first;
  const bool negative = p < last && *p == '-';
  p += negative;
  std::string digits;  // the significant ones
  size_t allDigits = 0;
  int64_t fractionDigits = 0;
  uint64_t wholeNumber = 0;  // of the first 19 significant digits
  const auto takeDigits = [&](bool fraction) {
    for (; p < last && *p >= '0' && *p <= '9'; ++p) {
      ++allDigits;
      fractionDigits += fraction;
      if (digits.empty() && *p == '0') continue;
      if (digits.size() < 19) wholeNumber = wholeNumber * 10 + uint64_t(*p - '0');
      digits += *p;
    }
  };
  takeDigits(false);
  if (p < last && *p == '.') {
    ++p;
    takeDigits(true);
  }
  if (allDigits == 0) return false;
  int64_t exponent = 0;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool negativeExponent = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+')) ++p;
    if (p == last) return false;
    // Far beyond any float; saturating keeps the sum below in range.
    constexpr int64_t FAR = int64_t{1} << 40;
    for (; p < last && *p >= '0' && *p <= '9'; ++p)
      exponent = std::min(exponent * 10 + (*p - '0'), FAR);
    if (negativeExponent) exponent = -exponent;
  }
  if (p != last) return false;
  if (digits.empty()) {
    out = negative ? -0.0f : 0.0f;
    return true;
  }
  exponent -= fractionDigits;
  // Most numbers in a model are a few digits with a few decimals: both the
  // whole number and the power of ten are exact floats, and one float
  // division or product rounds them correctly (Clinger's fast path).
  static constexpr float TENS[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                   1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  constexpr int64_t MAX_TEN = std::size(TENS) - 1;
  float value;
  if (digits.size() <= 19 && wholeNumber <= (uint64_t{1} << 24) && exponent >= -MAX_TEN &&
      exponent <= MAX_TEN) {
    const float whole = static_cast<float>(wholeNumber);
    value = exponent < 0 ? whole / TENS[-exponent] : whole * TENS[exponent];
  } else {
    digits += 'e';
    digits += std::to_string(exponent);
    char* end = nullptr;
    value = std::strtof(digits.c_str(), &end);
    // Too large for a float, or so small that it rounds to zero: bad.
    if (end != digits.c_str() + digits.size() || !std::isfinite(value) || value == 0.0f) {
      return false;
    }
  }
  out = negative ? -value : value;
  return true;
}

bool XTextLexer::readFloat(float& out) {
  const char* first;
  const char* last;
  if (!numberToken(first, last)) return false;
  if (!parseDecimalFloat(first, last, out)) {
    error_ = "bad number " + std::string(first, last);
    return false;
  }
  return true;
}

bool XTextLexer::skip() {
  switch (peek()) {
    case XTok::End:
      return true;
    case XTok::Name:
    case XTok::Template:
    case XTok::Number:
      p_ = tokenEnd(p_, end_);
      return true;
    case XTok::String: {
      std::string ignored;
      return readString(ignored);
    }
    case XTok::Guid:
      while (p_ < end_ && *p_ != '>') line_ += *p_++ == '\n';
      if (p_ == end_) {
        error_ = "'<' without its closing '>'";
        return false;
      }
      ++p_;
      return true;
    default:
      ++p_;
      return true;
  }
}

std::string XTextLexer::where() const { return "line " + std::to_string(line_); }
