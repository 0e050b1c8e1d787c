// Pieces of the .x reader shared by its source files: the two token readers
// (text and binary), MSZIP inflation and the object parser that runs over
// either token reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "xfile/xfile.hpp"

// What the next token is. Separators (',' and ';') are never reported: the
// parser reads every template by its declared counts, so they carry nothing.
enum class XTok { End, Name, String, Number, OBrace, CBrace, Guid, Template, Other, Bad };

class XTextLexer {
 public:
  XTextLexer(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

  XTok peek();
  bool readName(std::string& out);
  bool readString(std::string& out);
  bool readUInt(uint32_t& out);
  bool readFloat(float& out);
  // Consumes one token of any kind (a braced GUID counts as one).
  bool skip();
  size_t remaining() const { return static_cast<size_t>(end_ - p_); }
  std::string where() const;
  const std::string& error() const { return error_; }

 private:
  void skipBlank();
  bool numberToken(const char*& first, const char*& last);

  const uint8_t* p_;
  const uint8_t* end_;
  uint32_t line_ = 1;
  std::string error_;
};

// Reads all of [first, last) as a decimal number ([-]digits[.digits][e[+-]digits])
// into the nearest float, ties to even. False for anything else, and for a
// number that is infinite or non-zero but rounds to zero as a float.
bool parseDecimalFloat(const char* first, const char* last, float& out);

class XBinaryLexer {
 public:
  // `base` is where `data` starts in the file, for messages.
  XBinaryLexer(const uint8_t* data, size_t size, bool doubles, size_t base)
      : data_(data), size_(size), doubles_(doubles), base_(base) {}

  XTok peek();
  bool readName(std::string& out);
  bool readString(std::string& out);
  bool readUInt(uint32_t& out);
  bool readFloat(float& out);
  // Consumes one token of any kind; a whole integer or float list at once.
  bool skip();
  size_t remaining() const { return size_ - pos_; }
  std::string where() const;
  const std::string& error() const { return error_; }

 private:
  enum class List { None, Ints, Floats };
  bool need(size_t bytes, const char* what);
  uint16_t word(size_t at) const;
  uint32_t dword(size_t at) const;

  const uint8_t* data_;
  size_t size_;
  bool doubles_;
  size_t base_;
  size_t pos_ = 0;
  List list_ = List::None;
  uint32_t listLeft_ = 0;
  std::string error_;
};

// Inflates the MSZIP blocks that follow a compressed file's 16-byte header.
// `body` starts at the 4-byte size field. Returns false with `error` set.
bool inflateXBody(const uint8_t* body, size_t size, std::vector<uint8_t>& out, std::string& error);

// Reads the token stream of a text or binary body into `out`. On failure
// returns false with `out` empty and `error` set (without the file name).
bool parseXText(const uint8_t* data, size_t size, XMesh& out, std::string& error);
bool parseXBinary(const uint8_t* data, size_t size, bool doubles, size_t base, XMesh& out,
                  std::string& error);

constexpr uint32_t X_MAX_DEPTH = 64;
// Largest body the reader inflates: far above any model the game uses, and a
// stop for files that claim gigabytes.
constexpr size_t X_MAX_INFLATED = size_t{512} << 20;
