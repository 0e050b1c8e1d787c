#include "file_out.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool writeFileBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "gen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = std::fwrite(data, 1, size, f) == size;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) std::fprintf(stderr, "gen: writing %s failed\n", path.c_str());
  return ok;
}
