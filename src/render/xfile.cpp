#include "render/xfile.hpp"

// Placeholder until the reader lands.
bool parseXFile(const uint8_t*, size_t, const std::string& name, XMesh& out, std::string& error) {
  out = XMesh{};
  error = name + ": the .x reader is not built yet";
  return false;
}

bool readXFile(const std::string& path, XMesh& out, std::string& error) {
  return parseXFile(nullptr, 0, path, out, error);
}
