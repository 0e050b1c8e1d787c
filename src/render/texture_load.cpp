#include "render/texture_load.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "render/graphics_device.hpp"
#include "render/texture_image.hpp"

namespace fs = std::filesystem;

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The entry of `folder` named `name` ignoring case (the first in name order
// when several are), or `name` itself when there is none.
std::string entryIgnoringCase(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  std::string found;
  for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (sameIgnoringCase(entry, name) && (found.empty() || entry < found)) found = entry;
  }
  return found.empty() ? name : found;
}

}  // namespace

std::string findTextureFile(const std::string& name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\\', '/');
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  fs::path found;
  for (const fs::path& part : fs::path(path)) {
    const std::string piece = part.string();
    if (piece.empty() || piece == "/" || piece == "." || piece == ".." ||
        fs::exists(found / part, ec))
      found /= part;
    else
      found /= entryIgnoringCase(found, piece);
  }
  return found.generic_string();
}

platform::TextureHandle createTextureFromFile(const std::string& name, std::string& error) {
  error.clear();
  const std::string path = findTextureFile(name);
  if (device == nullptr) {
    error = path + ": no graphics device to create the texture on";
    return 0;
  }
  LoadedImage image;
  if (!loadTextureImage(path, image, error)) {
    if (path != name) error += " (the model names it \"" + name + "\")";
    return 0;
  }
  return device->createTexture({image.width, image.height, image.rgba.data()});
}
