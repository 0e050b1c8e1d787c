// What the pixel tests of every graphics backend share: the game's device
// (game_device.hpp), a fixture part that reads the back buffer back
// through the backend's own read-back, the colour check, where a picture
// has ink, and the adapter checks the game makes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
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

// A quad over the whole view at depth 0.5, facing it, the texture once
// across it; 0 when the device refuses it.
inline MeshHandle wholeViewQuad(Device* device) {
  static const MeshVertex v[4] = {{{-1, -1, 0.5f}, {0, 0, -1}, {0, 1}},
                                  {{-1, 1, 0.5f}, {0, 0, -1}, {0, 0}},
                                  {{1, 1, 0.5f}, {0, 0, -1}, {1, 0}},
                                  {{1, -1, 0.5f}, {0, 0, -1}, {1, 1}}};
  static const uint32_t idx[6] = {0, 1, 2, 0, 2, 3};
  static const SubsetRange all{0, 2};
  return device->createMesh({v, 4, idx, 2, &all, 1});
}

// Where a picture differs from the black background, and how many pixels
// carry the text colour (r, g, b) at full coverage.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int changed = 0, full = 0;
};

template <class Pixel>
Ink inkOf(Pixel pixel, int width, int height, int r, int g, int b) {
  Ink ink;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto p = pixel(x, y);
      if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
      ++ink.changed;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x);
      ink.bottom = std::max(ink.bottom, y);
      if (std::abs(p[0] - r) <= 2 && std::abs(p[1] - g) <= 2 && std::abs(p[2] - b) <= 2) ++ink.full;
    }
  }
  return ink;
}

// The adapter as the game checks it: 24-bit colour modes, the back buffer
// and depth formats it asks for, and nothing else.
inline void expectTheGamesAdapter(GraphicsSystem* graphics) {
  EXPECT_GT(graphics->adapterModeCount(Format::X8R8G8B8), 0u);
  EXPECT_EQ(graphics->adapterModeCount(Format::D24S8), 0u);
  DisplayMode mode{};
  EXPECT_EQ(graphics->enumAdapterMode(Format::X8R8G8B8, 0, mode), Result::Ok);
  EXPECT_EQ(mode.format, Format::X8R8G8B8);
  EXPECT_EQ(graphics->enumAdapterMode(Format::X8R8G8B8, 100000, mode), Result::Failed);
  EXPECT_EQ(graphics->checkDeviceType(Format::X8R8G8B8, Format::X8R8G8B8, false), Result::Ok);
  EXPECT_EQ(graphics->checkDepthStencilFormat(Format::X8R8G8B8, Format::D24S8), Result::Ok);
  EXPECT_EQ(graphics->checkDepthStencilFormat(Format::X8R8G8B8, Format::X8R8G8B8), Result::Failed);
  EXPECT_EQ(graphics->getDeviceCaps(), Result::Ok);
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
