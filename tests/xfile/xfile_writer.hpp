// Test-side writers: turn a text .x file into its binary and compressed
// forms, token for token, so that one hand-written file gives all three.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "xfile/xfile.hpp"

namespace xtest {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

// The body of a text file (everything after its 16-byte header) as binary
// tokens. Runs of whole numbers become one integer list, runs of numbers
// with a point or an exponent one float list of 4- or 8-byte floats.
inline Bytes binaryBody(const std::string& text, bool doubles) {
  Bytes out;
  std::vector<uint32_t> ints;
  std::vector<double> floats;
  auto flush = [&] {
    if (!ints.empty()) {
      put16(out, 6);
      put32(out, static_cast<uint32_t>(ints.size()));
      for (uint32_t v : ints) put32(out, v);
      ints.clear();
    }
    if (!floats.empty()) {
      put16(out, 7);
      put32(out, static_cast<uint32_t>(floats.size()));
      for (double d : floats) {
        if (doubles) {
          uint64_t bits;
          std::memcpy(&bits, &d, 8);
          put32(out, static_cast<uint32_t>(bits));
          put32(out, static_cast<uint32_t>(bits >> 32));
        } else {
          const float f = static_cast<float>(d);
          uint32_t bits;
          std::memcpy(&bits, &f, 4);
          put32(out, bits);
        }
      }
      floats.clear();
    }
  };
  auto isDelim = [](char c) { return c <= ' ' || std::strchr("{}<>\"[](),;#", c) != nullptr; };
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c <= ' ' || c == ',' || c == ';') {
      ++i;
    } else if (c == '#' || (c == '/' && i + 1 < n && text[i + 1] == '/')) {
      while (i < n && text[i] != '\n') ++i;
    } else if (c == '{' || c == '}' || c == '[' || c == ']' ||
               (c == '.' &&
                !(i + 1 < n && std::isdigit(static_cast<unsigned char>(text[i + 1]))))) {
      flush();
      put16(out, c == '{' ? 10 : c == '}' ? 11 : c == '[' ? 14 : c == ']' ? 15 : 18);
      ++i;
    } else if (c == '<') {
      flush();
      const size_t close = text.find('>', i);
      std::string hex;
      for (size_t k = i + 1; k < close; ++k)
        if (std::isxdigit(static_cast<unsigned char>(text[k]))) hex += text[k];
      if (hex.size() != 32) throw std::runtime_error("bad GUID in test file");
      auto h = [&](size_t at, size_t len) {
        return static_cast<uint32_t>(std::stoul(hex.substr(at, len), nullptr, 16));
      };
      put16(out, 5);
      put32(out, h(0, 8));
      put16(out, h(8, 4));
      put16(out, h(12, 4));
      for (size_t k = 0; k < 8; ++k) out.push_back(static_cast<uint8_t>(h(16 + 2 * k, 2)));
      i = close + 1;
    } else if (c == '"') {
      flush();
      const size_t close = text.find('"', i + 1);
      put16(out, 2);
      put32(out, static_cast<uint32_t>(close - i - 1));
      out.insert(out.end(), text.begin() + static_cast<long>(i) + 1,
                 text.begin() + static_cast<long>(close));
      i = close + 1;
      while (i < n && text[i] <= ' ') ++i;
      put16(out, i < n && text[i] == ',' ? 19 : 20);
      if (i < n && (text[i] == ',' || text[i] == ';')) ++i;
    } else if ((c >= '0' && c <= '9') || c == '-' || c == '.') {
      size_t e = i + 1;
      while (e < n && !isDelim(text[e])) ++e;
      const std::string tok = text.substr(i, e - i);
      if (tok.find_first_of(".eE") == std::string::npos && tok[0] != '-') {
        if (!floats.empty()) flush();
        ints.push_back(static_cast<uint32_t>(std::stoul(tok)));
      } else {
        if (!ints.empty()) flush();
        floats.push_back(std::stod(tok));
      }
      i = e;
    } else {
      flush();
      size_t e = i;
      while (e < n && !isDelim(text[e])) ++e;
      const std::string word = text.substr(i, e - i);
      static const char* const keywords[] = {"WORD",    "DWORD",   "FLOAT",  "DOUBLE", "CHAR",
                                             "UCHAR",   "SWORD",   "SDWORD", "VOID",   "STRING",
                                             "UNICODE", "CSTRING", "array"};
      int keyword = -1;
      for (int k = 0; k < 13; ++k)
        if (word == keywords[k]) keyword = k;
      if (word == "template") {
        put16(out, 31);
      } else if (keyword >= 0) {
        put16(out, static_cast<uint32_t>(40 + keyword));
      } else {
        put16(out, 1);
        put32(out, static_cast<uint32_t>(word.size()));
        out.insert(out.end(), word.begin(), word.end());
      }
      i = e;
    }
  }
  flush();
  return out;
}

inline Bytes header(const char* format, bool doubles) {
  const std::string h = std::string("xof 0303") + format + (doubles ? "0064" : "0032");
  return Bytes(h.begin(), h.end());
}

// `text` is a whole text file, header included.
inline Bytes textFile(const std::string& text) { return Bytes(text.begin(), text.end()); }

inline Bytes binaryFile(const std::string& text, bool doubles = false) {
  Bytes out = header("bin ", doubles);
  const Bytes body = binaryBody(text.substr(16), doubles);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// MSZIP blocks of at most `blockSize` bytes, each deflated with the data
// before it as history.
inline Bytes compress(const char* format, bool doubles, const Bytes& body,
                      size_t blockSize = 32768) {
  Bytes out = header(format, doubles);
  put32(out, static_cast<uint32_t>(body.size() + 16));
  for (size_t at = 0; at < body.size(); at += blockSize) {
    const size_t len = std::min(blockSize, body.size() - at);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (at > 0) {
      const size_t keep = std::min<size_t>(32768, at);
      deflateSetDictionary(&z, body.data() + at - keep, static_cast<uInt>(keep));
    }
    Bytes packed(deflateBound(&z, len) + 16);
    z.next_in = const_cast<Bytef*>(body.data() + at);
    z.avail_in = static_cast<uInt>(len);
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
    packed.resize(z.total_out);
    deflateEnd(&z);
    put16(out, static_cast<uint32_t>(len));
    put16(out, static_cast<uint32_t>(packed.size() + 2));
    out.push_back('C');
    out.push_back('K');
    out.insert(out.end(), packed.begin(), packed.end());
  }
  return out;
}

inline Bytes textZipFile(const std::string& text, size_t blockSize = 32768) {
  return compress("tzip", false, Bytes(text.begin() + 16, text.end()), blockSize);
}

inline Bytes binaryZipFile(const std::string& text, bool doubles = false) {
  return compress("bzip", doubles, binaryBody(text.substr(16), doubles));
}

inline bool parse(const Bytes& b, XMesh& out, std::string& error) {
  return parseXFile(b.data(), b.size(), "test.x", out, error);
}

}  // namespace xtest
