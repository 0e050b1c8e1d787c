// Token reader for the text form of .x files.
#include <charconv>
#include <cmath>

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

bool XTextLexer::readFloat(float& out) {
  const char* first;
  const char* last;
  if (!numberToken(first, last)) return false;
  const auto r = std::from_chars(first, last, out);
  if (r.ec != std::errc() || r.ptr != last || !std::isfinite(out)) {
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
