#include "platform/gl/picture_fit.hpp"

#include <algorithm>
#include <cmath>

namespace platform::gl {

PictureFit fitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth,
                      int32_t areaHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
    return {0, 0, std::max(areaWidth, 0), std::max(areaHeight, 0)};
  const int64_t pw = pictureWidth, ph = pictureHeight, aw = areaWidth, ah = areaHeight;
  if (aw * ph > ah * pw) {
    const auto w = static_cast<int32_t>((ah * pw + ph / 2) / ph);
    return {(areaWidth - w) / 2, 0, w, areaHeight};
  }
  const auto h = static_cast<int32_t>((aw * ph + pw / 2) / pw);
  return {0, (areaHeight - h) / 2, areaWidth, h};
}

void windowToPicture(const PictureFit& fit, int32_t pictureWidth, int32_t pictureHeight,
                     int32_t windowX, int32_t windowY, int32_t& pictureX, int32_t& pictureY) {
  if (fit.width <= 0 || fit.height <= 0) {
    pictureX = windowX;
    pictureY = windowY;
    return;
  }
  pictureX =
      static_cast<int32_t>(std::floor(double(windowX - fit.x) * pictureWidth / double(fit.width)));
  pictureY = static_cast<int32_t>(
      std::floor(double(windowY - fit.y) * pictureHeight / double(fit.height)));
}

}  // namespace platform::gl
