// What the pixel tests of every graphics backend share: the game's device
// (game_device.hpp), a fixture part that reads the back buffer back
// through the backend's own read-back, and the colour check.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "game_device.hpp"
#include "platform/services.hpp"

namespace rztest {

using namespace platform;

inline Matrix identityMatrix() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1;
  return m;
}

using ReadBackBuffer = bool (*)(std::vector<uint8_t>&, uint32_t&, uint32_t&);

// The device under test and its back buffer, read once per picture.
template <ReadBackBuffer readBackBuffer>
class PixelTest : public ::testing::Test {
 protected:
  // Pixel (x, y) of the back buffer, y from the top, as r, g, b, a.
  std::array<int, 4> pixel(int x, int y) {
    if (frame.empty()) readBack();
    const size_t at = (static_cast<size_t>(y) * width + x) * 4;
    return {frame[at], frame[at + 1], frame[at + 2], frame[at + 3]};
  }
  void readBack() {
    frame.clear();
    ASSERT_TRUE(readBackBuffer(frame, width, height));
  }

  GraphicsSystem* graphics = nullptr;
  Device* device = nullptr;
  std::vector<uint8_t> frame;
  uint32_t width = 0, height = 0;
};

}  // namespace rztest

// Colour channels within `tolerance` of (r, g, b).
#define EXPECT_RGB_NEAR(px, r, g, b, tolerance) \
  do {                                          \
    const auto p_ = (px);                       \
    EXPECT_NEAR(p_[0], (r), (tolerance));       \
    EXPECT_NEAR(p_[1], (g), (tolerance));       \
    EXPECT_NEAR(p_[2], (b), (tolerance));       \
  } while (0)
