// Where the back buffer's picture sits in a window or canvas of another
// size: scaled to fit, keeping its shape, with black bars.
#pragma once

#include <cstdint>

namespace platform::gl {

// A rectangle with top-left origin.
struct PictureFit {
  int32_t x, y, width, height;
};

// The largest rectangle of the picture's shape that fits the area, centred:
// bars left and right when the area is wider, above and below when taller.
PictureFit fitPicture(int32_t pictureWidth, int32_t pictureHeight, int32_t areaWidth,
                      int32_t areaHeight);
// A window point as a point of the picture; outside the picture (in a bar)
// it lies outside 0..size-1, negative on the left and top.
void windowToPicture(const PictureFit& fit, int32_t pictureWidth, int32_t pictureHeight,
                     int32_t windowX, int32_t windowY, int32_t& pictureX, int32_t& pictureY);

}  // namespace platform::gl
