#include "platform/file_read.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

std::string folderProblem(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec) ? path + ": is a folder, not a file" : "";
}

bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& bytes,
                   std::string& error) {
  bytes.clear();
  error = folderProblem(path);
  if (!error.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = path + ": cannot open (" + std::strerror(errno) + ")";
    return false;
  }
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    error = path + ": cannot read (not a regular file?)";
    return false;
  }
  if (static_cast<unsigned long>(size) > limit) {
    std::fclose(f);
    error =
        path + ": the file is larger than the reader accepts (" + std::to_string(size) + " bytes)";
    return false;
  }
  bytes.resize(static_cast<size_t>(size));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (got != bytes.size()) {
    bytes.clear();
    error = path + ": read error";
    return false;
  }
  return true;
}
