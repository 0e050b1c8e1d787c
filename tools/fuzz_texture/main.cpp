// Fuzz entry for the texture path (decode, colour key, stretch): any input
// must give a sound image, or none and a message.
#include <cstdlib>

#include "render/image_decode.hpp"
#include "render/texture_image.hpp"

namespace {

bool soundSide(uint32_t side) {
  return side >= 1 && side <= MAX_TEXTURE_SIDE && (side & (side - 1)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LoadedImage image;
  std::string error;
  if (imageFromBytes(data, size, image, error)) {
    if (!soundSide(image.width) || !soundSide(image.height) ||
        image.rgba.size() != size_t{image.width} * image.height * 4)
      std::abort();
  } else if (error.empty() || !image.rgba.empty()) {
    std::abort();
  }
  return 0;
}
