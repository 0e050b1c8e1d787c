// Entry points of the .x reader: the file header decides between the text,
// binary and compressed forms.
#include "xfile/xfile.hpp"

#include <cstring>

#include "platform/file_read.hpp"
#include "xfile/xfile_internal.hpp"

namespace {

// Far above any model the game ships; keeps a wrong path to a huge file
// from reading it whole.
constexpr size_t X_MAX_FILE = size_t{1} << 30;

bool isDigits(const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (p[i] < '0' || p[i] > '9') return false;
  return true;
}

}  // namespace

bool parseXFile(const uint8_t* data, size_t size, const std::string& name, XMesh& out,
                std::string& error) {
  out = XMesh{};
  auto reject = [&](const std::string& message) {
    out = XMesh{};
    error = name + ": " + message;
    return false;
  };
  if (size == 0) return reject("the file is empty");
  if (size < 16 || std::memcmp(data, "xof ", 4) != 0 || !isDigits(data + 4, 4))
    return reject("not a .x file (the header must start with \"xof \" and a version)");
  const uint8_t* format = data + 8;
  const bool text = std::memcmp(format, "txt ", 4) == 0;
  const bool binary = std::memcmp(format, "bin ", 4) == 0;
  const bool textZip = std::memcmp(format, "tzip", 4) == 0;
  const bool binaryZip = std::memcmp(format, "bzip", 4) == 0;
  if (!text && !binary && !textZip && !binaryZip)
    return reject("unknown .x format \"" + std::string(reinterpret_cast<const char*>(format), 4) +
                  "\" (expected txt, bin, tzip or bzip)");
  const bool doubles = std::memcmp(data + 12, "0064", 4) == 0;
  if (!doubles && std::memcmp(data + 12, "0032", 4) != 0)
    return reject("unknown float size in the header (expected 0032 or 0064)");

  std::string message;
  bool ok;
  if (text) {
    ok = parseXText(data + 16, size - 16, out, message);
  } else if (binary) {
    ok = parseXBinary(data + 16, size - 16, doubles, 16, out, message);
  } else {
    std::vector<uint8_t> inflated;
    if (!inflateXBody(data + 16, size - 16, inflated, message)) return reject(message);
    ok = textZip ? parseXText(inflated.data(), inflated.size(), out, message)
                 : parseXBinary(inflated.data(), inflated.size(), doubles, 0, out, message);
    if (!ok) message = "in the uncompressed data, " + message;
  }
  if (!ok) return reject(message);
  if (!out.warning.empty()) out.warning = name + ": " + out.warning;
  error.clear();
  return true;
}

bool readXFile(const std::string& path, XMesh& out, std::string& error) {
  out = XMesh{};
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, X_MAX_FILE, bytes, error)) return false;
  return parseXFile(bytes.data(), bytes.size(), path, out, error);
}
