// MSZIP bodies of compressed .x files. After the 16-byte header comes a
// 32-bit total size (the uncompressed file, header included), then blocks:
// a 16-bit uncompressed size, a 16-bit compressed size (counting the
// signature), the signature "CK" and one raw deflate stream. Each block's
// history continues from the data the blocks before it produced.
#include <zlib.h>

#include <algorithm>

#include "xfile/xfile_internal.hpp"

namespace {

constexpr size_t HISTORY = 32768;

struct Inflater {
  z_stream z{};
  bool ready = false;
  Inflater() { ready = inflateInit2(&z, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ready) inflateEnd(&z);
  }
};

uint32_t le16(const uint8_t* p) { return uint32_t{p[0]} | (uint32_t{p[1]} << 8); }
uint32_t le32(const uint8_t* p) { return le16(p) | (le16(p + 2) << 16); }

}  // namespace

bool inflateXBody(const uint8_t* body, size_t size, std::vector<uint8_t>& out, std::string& error) {
  out.clear();
  if (size < 4) {
    error = "the compressed file ends inside its size field";
    return false;
  }
  const uint32_t declared = le32(body);
  if (declared > X_MAX_INFLATED) {
    error = "the compressed file declares " + std::to_string(declared) +
            " bytes, more than the reader accepts";
    return false;
  }
  Inflater inf;
  if (!inf.ready) {
    error = "cannot start the decompressor";
    return false;
  }
  size_t pos = 4;
  for (uint32_t block = 0; pos < size; ++block) {
    const std::string which = "compressed block " + std::to_string(block);
    if (size - pos < 4) {
      error = "the file ends inside the header of " + which;
      return false;
    }
    const uint32_t plain = le16(body + pos), packed = le16(body + pos + 2);
    pos += 4;
    if (packed < 2 || packed > size - pos) {
      error = which + " runs past the end of the file";
      return false;
    }
    if (body[pos] != 'C' || body[pos + 1] != 'K') {
      error = which + " lacks its \"CK\" signature";
      return false;
    }
    if (out.size() + plain > declared) {
      error = "the compressed blocks hold more than the declared " + std::to_string(declared) +
              " bytes";
      return false;
    }
    z_stream& z = inf.z;
    inflateReset(&z);
    if (!out.empty()) {
      const size_t keep = std::min(HISTORY, out.size());
      inflateSetDictionary(&z, out.data() + out.size() - keep, static_cast<uInt>(keep));
    }
    const size_t at = out.size();
    out.resize(at + plain);
    z.next_in = const_cast<Bytef*>(body + pos + 2);
    z.avail_in = packed - 2;
    z.next_out = out.data() + at;
    z.avail_out = plain;
    const int r = inflate(&z, Z_FINISH);
    if (r != Z_STREAM_END || z.avail_out != 0) {
      error = which + " is corrupt or does not inflate to its stated " + std::to_string(plain) +
              " bytes";
      out.clear();
      return false;
    }
    pos += packed;
  }
  // Writers differ on whether the total counts the header; take either.
  if (out.size() != declared && out.size() + 16 != declared) {
    error = "the compressed blocks hold " + std::to_string(out.size()) +
            " bytes but the file declares " + std::to_string(declared);
    out.clear();
    return false;
  }
  return true;
}
