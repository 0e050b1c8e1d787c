// Token reader for the binary form of .x files: little-endian 16-bit tokens,
// some followed by a record (a name, a string, an integer, a GUID, or a
// counted list of integers or of 32- or 64-bit floats).
#include <cmath>
#include <cstring>

#include "xfile/xfile_internal.hpp"

namespace {

enum : uint16_t {
  TOKEN_NAME = 1,
  TOKEN_STRING = 2,
  TOKEN_INTEGER = 3,
  TOKEN_GUID = 5,
  TOKEN_INTEGER_LIST = 6,
  TOKEN_FLOAT_LIST = 7,
  TOKEN_OBRACE = 10,
  TOKEN_CBRACE = 11,
  TOKEN_OPAREN = 12,
  TOKEN_DOT = 18,
  TOKEN_COMMA = 19,
  TOKEN_SEMICOLON = 20,
  TOKEN_TEMPLATE = 31,
  TOKEN_WORD = 40,
  TOKEN_ARRAY = 52,
};

}  // namespace

uint16_t XBinaryLexer::word(size_t at) const {
  return static_cast<uint16_t>(data_[at] | (data_[at + 1] << 8));
}

uint32_t XBinaryLexer::dword(size_t at) const {
  return uint32_t{data_[at]} | (uint32_t{data_[at + 1]} << 8) | (uint32_t{data_[at + 2]} << 16) |
         (uint32_t{data_[at + 3]} << 24);
}

bool XBinaryLexer::need(size_t bytes, const char* what) {
  if (size_ - pos_ >= bytes) return true;
  error_ = std::string("the file ends inside ") + what;
  return false;
}

XTok XBinaryLexer::peek() {
  if (listLeft_ > 0) return XTok::Number;
  list_ = List::None;
  for (;;) {
    if (pos_ == size_) return XTok::End;
    if (!need(2, "a token")) return XTok::Bad;
    const uint16_t token = word(pos_);
    switch (token) {
      case TOKEN_COMMA:
      case TOKEN_SEMICOLON:
        pos_ += 2;
        continue;
      case TOKEN_NAME:
        return XTok::Name;
      case TOKEN_STRING:
        return XTok::String;
      case TOKEN_INTEGER:
        return XTok::Number;
      case TOKEN_GUID:
        return XTok::Guid;
      case TOKEN_OBRACE:
        return XTok::OBrace;
      case TOKEN_CBRACE:
        return XTok::CBrace;
      case TOKEN_TEMPLATE:
        return XTok::Template;
      case TOKEN_INTEGER_LIST:
      case TOKEN_FLOAT_LIST: {
        if (!need(6, "a list header")) return XTok::Bad;
        const uint32_t n = dword(pos_ + 2);
        const size_t element = token == TOKEN_FLOAT_LIST && doubles_ ? 8 : 4;
        if (n > (size_ - pos_ - 6) / element) {
          error_ = "a list of " + std::to_string(n) + " numbers runs past the end of the file";
          return XTok::Bad;
        }
        pos_ += 6;
        if (n == 0) continue;
        list_ = token == TOKEN_FLOAT_LIST ? List::Floats : List::Ints;
        listLeft_ = n;
        return XTok::Number;
      }
      default:
        if ((token >= TOKEN_OPAREN && token <= TOKEN_DOT) ||
            (token >= TOKEN_WORD && token <= TOKEN_ARRAY))
          return XTok::Other;
        error_ = "unknown token " + std::to_string(token);
        return XTok::Bad;
    }
  }
}

bool XBinaryLexer::readName(std::string& out) {
  if (peek() != XTok::Name) {
    error_ = "expected a name";
    return false;
  }
  if (!need(6, "a name")) return false;
  const uint32_t n = dword(pos_ + 2);
  if (!need(size_t{6} + n, "a name")) return false;
  out.assign(reinterpret_cast<const char*>(data_ + pos_ + 6), n);
  pos_ += size_t{6} + n;
  return true;
}

bool XBinaryLexer::readString(std::string& out) {
  if (peek() != XTok::String) {
    error_ = "expected a string";
    return false;
  }
  if (!need(6, "a string")) return false;
  const uint32_t n = dword(pos_ + 2);
  if (!need(size_t{6} + n, "a string")) return false;
  out.assign(reinterpret_cast<const char*>(data_ + pos_ + 6), n);
  pos_ += size_t{6} + n;
  // The terminator is a separator token. Some writers store it as 32 bits;
  // its zero high half is no token and is passed over.
  if (size_ - pos_ >= 2 && (word(pos_) == TOKEN_COMMA || word(pos_) == TOKEN_SEMICOLON)) {
    pos_ += 2;
    if (size_ - pos_ >= 2 && word(pos_) == 0) pos_ += 2;
  }
  return true;
}

bool XBinaryLexer::readUInt(uint32_t& out) {
  const XTok t = peek();
  if (t == XTok::Number && list_ == List::Ints) {
    out = dword(pos_);
    pos_ += 4;
    --listLeft_;
    return true;
  }
  if (t == XTok::Number && list_ == List::None) {
    if (!need(6, "an integer")) return false;
    out = dword(pos_ + 2);
    pos_ += 6;
    return true;
  }
  if (t == XTok::Bad) return false;
  error_ = t == XTok::Number ? "expected an integer, found a float"
           : t == XTok::End  ? "the file ends where an integer was expected"
                             : "expected an integer";
  return false;
}

bool XBinaryLexer::readFloat(float& out) {
  const XTok t = peek();
  if (t == XTok::Number && list_ == List::Floats) {
    if (doubles_) {
      uint64_t bits = uint64_t{dword(pos_)} | (uint64_t{dword(pos_ + 4)} << 32);
      double d;
      std::memcpy(&d, &bits, sizeof d);
      out = static_cast<float>(d);
      pos_ += 8;
    } else {
      const uint32_t bits = dword(pos_);
      std::memcpy(&out, &bits, sizeof out);
      pos_ += 4;
    }
    --listLeft_;
  } else if (t == XTok::Number) {
    // Integers stand for floats, as a whole number does in a text file.
    uint32_t i;
    if (!readUInt(i)) return false;
    out = static_cast<float>(i);
  } else {
    if (t != XTok::Bad)
      error_ = t == XTok::End ? "the file ends where a number was expected" : "expected a number";
    return false;
  }
  if (!std::isfinite(out)) {
    error_ = "a number is not finite";
    return false;
  }
  return true;
}

bool XBinaryLexer::skip() {
  switch (peek()) {
    case XTok::End:
      return true;
    case XTok::Bad:
      return false;
    case XTok::Number:
      if (list_ != List::None) {
        pos_ += size_t{listLeft_} * (list_ == List::Floats && doubles_ ? 8 : 4);
        listLeft_ = 0;
        return true;
      }
      if (!need(6, "an integer")) return false;
      pos_ += 6;
      return true;
    case XTok::Name: {
      std::string ignored;
      return readName(ignored);
    }
    case XTok::String: {
      std::string ignored;
      return readString(ignored);
    }
    case XTok::Guid:
      if (!need(18, "a GUID")) return false;
      pos_ += 18;
      return true;
    default:
      pos_ += 2;
      return true;
  }
}

std::string XBinaryLexer::where() const { return "byte " + std::to_string(base_ + pos_); }
